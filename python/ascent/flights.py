"""One flight, and the trim of one turn time."""
import functools

from . import _ascent
from .inputs import aiming_at, thrust_history, vehicle_or_default


def fly(turn_time, maxa, thrust, vehicle=None, history=True):
    """Flies the vehicle (default: the standard one) with a turn time [s] and a
    maximum angle of attack [deg]; `thrust` is a ThrustHistory or the path of
    a booster thrust file. Without `history` the steps are not kept (faster).

    Raises ValueError for a turn time below 1 s, FileNotFoundError for a
    missing thrust file, FlightError for a thrust history that cannot be flown.
    """
    return _ascent.fly(vehicle_or_default(vehicle), thrust_history(thrust), float(turn_time),
                       float(maxa), bool(history))


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
    `target_altitude` [m] when given) within `tolerance` [m]."""
    vehicle = aiming_at(vehicle_or_default(vehicle), target_altitude)
    thrust = thrust_history(thrust)
    result = _ascent.trim(vehicle, thrust, float(turn_time), float(tolerance))
    if result.status == "turn_too_long" and result.flight_count == 0:
        raise ValueError(result.message)
    return Trim(result, vehicle, thrust)
