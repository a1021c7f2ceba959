"""What the functions of the package take: a thrust history or the path of a
booster thrust file, and a vehicle, the path of a vehicle deck, or None for
the default vehicle."""
import os

from ._ascent import ThrustHistory, Vehicle


def thrust_history(thrust):
    """`thrust` itself, or the booster thrust file at that path (str or os.PathLike)."""
    if isinstance(thrust, ThrustHistory):
        return thrust
    if isinstance(thrust, (str, os.PathLike)):
        return ThrustHistory.read(thrust)
    raise TypeError(f"thrust must be a ThrustHistory or a path, not {type(thrust).__name__}")


def vehicle_or_default(vehicle):
    """`vehicle`, or the default vehicle when None; a vehicle whose values
    contradict each other raises ValueError."""
    if vehicle is None:
        return Vehicle()
    if isinstance(vehicle, (str, os.PathLike)):
        return Vehicle.load(vehicle)
    if not isinstance(vehicle, Vehicle):
        raise TypeError(f"vehicle must be a Vehicle or a path, not {type(vehicle).__name__}")
    vehicle.check()
    return vehicle


def aiming_at(vehicle, target_altitude):
    """`vehicle`, or a copy of it aiming at `target_altitude` [m] when given:
    the target is the vehicle's (target.altitude), which sets the speed its
    upper stage cuts off at."""
    if target_altitude is None:
        return vehicle
    aimed = Vehicle(vehicle)
    aimed["target.altitude"] = target_altitude
    return aimed
