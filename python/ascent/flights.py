"""One flight, and the trim of one turn time."""
import functools

from . import _ascent
from .inputs import (aiming_at, positive_number, real_number, thrust_history, turn_time_of,
                     vehicle_or_default)


def fly(turn_time, maxa, thrust, vehicle=None, history=True):
    """Flies the vehicle (default: the standard one) with a turn time [s] and a
    maximum angle of attack [deg]; `thrust` is a ThrustHistory or the path of
    a booster thrust file. Without `history` the steps are not kept (faster).

    Raises ValueError for a turn time below 1 s or an angle that is NaN,
    TypeError for one that is no number, FileNotFoundError for a missing
    thrust file, FlightError for a thrust history that cannot be flown.
    """
    return _ascent.fly(vehicle_or_default(vehicle), thrust_history(thrust), turn_time_of(turn_time),
                       real_number("maxa", maxa), bool(history))


class Trim:
    """The trim of one turn time: `maxa` [deg], `status`, `message`,
    `flight` (the trimmed flight, with its history) and `flights` (a
    DataFrame of the search's flights)."""

    def __init__(self, result, vehicle, thrust):
        self._result = result
        self._vehicle = vehicle
        self._thrust = thrust

    turn_time = property(lambda self: self._result.turn_time, doc="[s]")
    maxa = property(lambda self: self._result.maxa,
                    doc="[deg] the trimmed angle, or that of the closest flight")
    status = property(lambda self: self._result.status,
                      doc="the trimmed flight's outcome (in_orbit, short_of_propellant, "
                          "perigee_below_minimum, turn_too_long, ...), else out_of_reach or "
                          "not_converged")
    trimmed = property(lambda self: self._result.trimmed,
                       doc="the average altitude is on the target, whatever the outcome")
    feasible = property(lambda self: self._result.feasible, doc="trimmed, and in orbit")
    message = property(lambda self: self._result.message, doc="why it is not in orbit")

    @functools.cached_property
    def flight(self):
        """The flight at `maxa`, flown again with its history."""
        return fly(self.turn_time, self.maxa, self._thrust, self._vehicle)

    @functools.cached_property
    def flights(self):
        """Every flight of the search, in order."""
        return self._result.flight_columns()

    def __repr__(self):
        text = f"Trim(turn_time={self.turn_time:g}, status={self.status}, maxa={self.maxa:g}"
        return text + (f", {self.message})" if self.message else ")")


def trim(turn_time, thrust, vehicle=None, target_altitude=None, tolerance=10.0):
    """Searches the maximum angle of attack that brings the average orbit
    altitude of `turn_time` [s] to the vehicle's target.altitude (or
    `target_altitude` [m] when given) within `tolerance` [m], a finite
    number above 0 (ValueError otherwise)."""
    turn_time = real_number("turn_time", turn_time)  # the trim says why one below 1 s is none
    tolerance = positive_number("tolerance", tolerance)
    vehicle = aiming_at(vehicle_or_default(vehicle), target_altitude)
    thrust = thrust_history(thrust)
    result = _ascent.trim(vehicle, thrust, turn_time, tolerance)
    if result.status == "turn_too_long" and result.flight_count == 0:
        raise ValueError(result.message)
    return Trim(result, vehicle, thrust)


class Target:
    """The guided upper stage flown to a target orbit: `status` (reached,
    short_of_propellant, cannot_reach_orbit or not_flown), `reason`, `maxa`
    [deg] of the core stage and whether it was trimmed, the orbit aimed at
    (`target_perigee`, `target_apogee` [m]) and reached (`perigee`,
    `apogee` [m], None when not reached), `remaining_propellant` and
    `sc_mass` [kg], and `flight` (the guided flight, with its history)."""

    def __init__(self, result, vehicle, thrust):
        self._result = result
        self._vehicle = vehicle
        self._thrust = thrust

    def __getattr__(self, name):
        if name.startswith("_"):
            raise AttributeError(name)
        return getattr(self._result, name)

    def __dir__(self):
        # What __getattr__ reaches too: tab completion and help() list it.
        return sorted(set(super().__dir__()) |
                      {name for name in dir(self._result) if not name.startswith("_")})

    @functools.cached_property
    def flight(self):
        """The guided flight, flown again with its history (None when not flown)."""
        if self.maxa is None:
            return None
        return fly(self.turn_time, self.maxa, self._thrust, self._vehicle)

    def __repr__(self):
        text = (f"Target(turn_time={self.turn_time:g}, status={self.status}, "
                f"target={self.target_perigee:g} x {self.target_apogee:g} m")
        if self.perigee is not None:
            text += f", orbit={self.perigee:.0f} x {self.apogee:.0f} m"
        return text + (f", {self.reason})" if self.reason else ")")


def target(turn_time, maxa=None, perigee=None, apogee=None, thrust=None, vehicle=None,
           tolerance=10.0):
    """Flies the vehicle's upper stage guided to the target orbit: perigee
    and apogee [m] when given (both), else the vehicle's target. The core
    stage flies `maxa` [deg], or the angle the trim finds for `turn_time`
    [s] (within `tolerance` [m]). Raises ValueError for a target that cannot
    be flown (perigee above apogee, below 100 km, above 1000 km)."""
    if thrust is None:
        raise TypeError("target() needs a thrust history (thrust=)")
    vehicle = vehicle_or_default(vehicle)
    thrust = thrust_history(thrust)
    result = _ascent.target(vehicle, thrust, float(turn_time),
                            None if maxa is None else float(maxa),
                            None if perigee is None else float(perigee),
                            None if apogee is None else float(apogee), float(tolerance))
    guided = _ascent.guided_vehicle(vehicle, result.target_perigee, result.target_apogee)
    return Target(result, guided, thrust)

