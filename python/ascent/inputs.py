"""What the functions of the package take: a thrust history or the path of a
booster thrust file, and a vehicle, the path of a vehicle deck, or None for
the default vehicle."""
import math
import numbers
import os

from ._ascent import ThrustHistory, Vehicle


def real_number(name, value):
    """`value` as a float: TypeError when it is no real number (a bool, a
    string), ValueError when it is NaN."""
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"{name} must be a number, not {type(value).__name__}")
    number = float(value)
    if math.isnan(number):
        raise ValueError(f"{name} is not a number (nan)")
    return number


def positive_number(name, value):
    """`value` as a finite float above 0, or ValueError / TypeError."""
    number = real_number(name, value)
    if not (0.0 < number < math.inf):
        raise ValueError(f"{name} = {value!r} must be a finite number above 0")
    return number


def whole_number(name, value, minimum, maximum=None):
    """`value` as an int from `minimum` to `maximum`: TypeError for a float
    (2.7 cases are no count) or a bool, ValueError out of the range."""
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{name} must be a whole number (an int), not {type(value).__name__}")
    count = int(value)
    if count < minimum or (maximum is not None and count > maximum):
        upper = "" if maximum is None else f" to {maximum}"
        raise ValueError(f"{name} = {count} must be from {minimum}{upper}")
    return count


def output_path(path):
    """`path` as a file system path to write: TypeError for one that is no
    str or os.PathLike (None, a number, a list), ValueError for an empty one."""
    if not isinstance(path, (str, os.PathLike)):
        raise TypeError(f"path must be a str or os.PathLike, not {type(path).__name__}")
    if not os.fspath(path):
        raise ValueError("an empty path names no file")
    return os.fspath(path)


def utf8_text(value):
    """`value` as text for a file that declares UTF-8: the bytes of a name
    that is not UTF-8 (a file name the system gave as surrogates) as U+FFFD,
    as the library writes them."""
    return str(value).encode("utf-8", "surrogateescape").decode("utf-8", "replace")


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


def turn_time_of(turn_time):
    """The turn time as a float: ValueError below 1 s or not finite."""
    value = real_number("turn_time", turn_time)
    if not 1.0 <= value < math.inf:
        raise ValueError(f"the turn time must be at least 1 s and finite, not {turn_time!r}")
    return value
