"""The plan of the largest payload within the load limits, and the exchange
ratios of the vehicle's fields."""
import functools

from . import _ascent
from .flights import fly
from .inputs import (aiming_at, positive_number, real_number, thrust_history, turn_time_of,
                     vehicle_or_default)
from .studies import with_units


class Optimum:
    """The search for the largest payload: `feasible`, and for a feasible
    plan `turn_time` [s], `maxa` [deg], `sc_mass` and `sc_mass_unrounded`
    [kg], `loads` (each maximum and its time), `active` (the constraints that
    bind) and `flight` (the plan flown again, with its history); `trims` and
    `flights` say what the search flew."""

    def __init__(self, result, vehicle, thrust):
        self._result = result
        self._best = result.best
        self._vehicle = vehicle
        self._thrust = thrust

    feasible = property(lambda self: self._best is not None,
                        doc="a plan keeps to every limit and has the propellant")
    active = property(lambda self: list(self._result.active))
    trims = property(lambda self: self._result.trim_count)
    flights = property(lambda self: self._result.flight_count)

    def _plan(self, name):
        if self._best is None:
            raise ValueError("no plan is feasible: no turn time keeps to the limits")
        return getattr(self._best, name)

    guided = property(lambda self: self._vehicle["upper_stage.guidance"] == "orbit_insertion",
                      doc="the plan was found for the upper stage guided to the target orbit")

    @property
    def target(self):
        """The perigee and apogee altitudes [m] of the orbit aimed at."""
        perigee, apogee = self._vehicle["target.perigee"], self._vehicle["target.apogee"]
        if not perigee and not apogee:
            perigee = apogee = self._vehicle["target.altitude"]
        return float(perigee), float(apogee)

    turn_time = property(lambda self: self._plan("turn_time"), doc="[s]")
    maxa = property(lambda self: self._plan("maxa"), doc="[deg]")
    sc_mass = property(lambda self: self._plan("sc_mass"), doc="[kg]")
    sc_mass_unrounded = property(lambda self: self._plan("sc_mass_unrounded"), doc="[kg]")

    @property
    def loads(self):
        """Each load maximum of the plan and its time: Pa, Pa*deg, m/s^2, s."""
        names = ["max_dynamic_pressure", "max_q_alpha", "max_acceleration"]
        return {key: self._plan(key) for name in names for key in (name, name + "_time")}

    @functools.cached_property
    def flight(self):
        """The plan flown again, with its history."""
        return fly(self.turn_time, self.maxa, self._thrust, self._vehicle)

    def __repr__(self):
        if self._best is None:
            return f"Optimum(feasible=False, trims={self.trims}, flights={self.flights})"
        return (f"Optimum(turn_time={self.turn_time:g}, maxa={self.maxa:g}, "
                f"sc_mass={self.sc_mass:g}, active={self.active}, flights={self.flights})")


class StagedOptimum:
    """The optimal ascent of a staged vehicle, as `ascent-trim optimize
    --vehicle` reports it: `feasible`; `report`, the (name, value, unit)
    lines of its table; for a feasible optimum `final_mass` [kg],
    `final_time` [s], `phase_ends` ({phase: s}), `active` (the limits that
    hold it), `steering` (a DataFrame with the columns of its --csv) and
    `flight` (the optimum flown by the staged engine, a StagedFlight);
    `unmet` says why there is none; `iterations` and `solve_seconds` of the
    solver."""

    def __init__(self, result):
        self._result = result

    feasible = property(lambda self: self._result["feasible"])
    status = property(lambda self: self._result["status"], doc="the solver's: solved, infeasible, ...")
    report = property(lambda self: list(self._result["report"]))
    unmet = property(lambda self: self._result.get("unmet"), doc="why no steering reaches the orbit, or None")
    iterations = property(lambda self: self._result["iterations"])
    solve_seconds = property(lambda self: self._result["solve_seconds"], doc="[s] of processor time")

    def _optimum(self, key):
        if not self.feasible:
            raise ValueError(self.unmet)
        return self._result[key]

    final_mass = property(lambda self: self._optimum("final_mass_kg"), doc="[kg]")
    final_time = property(lambda self: self._optimum("final_time_s"), doc="[s]")
    phase_ends = property(lambda self: dict(self._optimum("phase_ends_s")), doc="[s] of each burn phase")
    active = property(lambda self: list(self._optimum("active")), doc="the limits that hold the optimum")
    steering = property(lambda self: self._optimum("steering"))
    flight = property(lambda self: self._optimum("flight"))

    def __repr__(self):
        if not self.feasible:
            return f"StagedOptimum(feasible=False, unmet={self.unmet!r})"
        return (f"StagedOptimum(final_mass={self.final_mass:.3f}, final_time={self.final_time:.3f}, "
                f"active={self.active}, iterations={self.iterations})")


def _optimize_staged(vehicle, limits, perigee, apogee, classic_only):
    given = [name for name, value in classic_only.items() if value]
    if given:
        raise ValueError(f"optimize: {', '.join(given)} search a classic vehicle's plan; "
                         "a staged vehicle's optimum is its whole steering")
    apsides = [None if value is None else real_number(name, value)
               for name, value in (("perigee", perigee), ("apogee", apogee))]
    if (apsides[0] is None) != (apsides[1] is None):
        raise ValueError("optimize: give perigee and apogee together")
    return StagedOptimum(_ascent.optimize_staged(vehicle, limits, *apsides))


def optimize(thrust=None, from_=20.0, to=115.0, vehicle=None, target_altitude=None, tolerance=10.0,
             max_dynamic_pressure=None, max_q_alpha=None, max_acceleration=None, guided=False,
             perigee=None, apogee=None):
    """Of a staged vehicle (`vehicle` a StagedVehicle, no `thrust`): the
    steering of the largest final mass to its target orbit (or `perigee` and
    `apogee` [m]) within its limits and those given, a StagedOptimum, as
    `ascent-trim optimize --vehicle deck.toml` finds it; Ctrl-C raises
    KeyboardInterrupt, a deck the optimiser cannot pose ValueError.

        >>> best = ascent.optimize(vehicle=ascent.StagedVehicle.read("data/vehicles/delta3.toml"))
        >>> best.final_mass, best.final_time, best.steering

    Of a classic vehicle: the turn time from `from_` to `to` [s] whose trimmed flight carries
    the largest spacecraft mass, within the vehicle's load limits and those
    given here: `max_dynamic_pressure` [Pa], `max_q_alpha` [Pa*deg],
    `max_acceleration` [m/s^2], each None (no limit) or a finite number
    above 0. With the upper stage guided to the target orbit (`guided`, or a
    deck's orbit_insertion; `perigee` and `apogee` [m], both, aim it
    elsewhere and imply `guided`) the plan's `maxa` is searched too, each
    plan one guided flight that must end in orbit. As `ascent-trim optimize`
    finds it. ValueError for turn times out of 1 to 1000 s or not in order,
    a limit or `tolerance` [m] that is NaN, 0, negative or infinite;
    TypeError for one that is no number."""
    limits = _ascent.LoadLimits(*(0.0 if value is None else positive_number(name, value)
                                  for name, value in (("max_dynamic_pressure", max_dynamic_pressure),
                                                      ("max_q_alpha", max_q_alpha),
                                                      ("max_acceleration", max_acceleration))))
    if isinstance(vehicle, _ascent.StagedVehicle):
        return _optimize_staged(vehicle, limits, perigee, apogee, {
            "thrust": thrust is not None, "from_": from_ != 20.0, "to": to != 115.0, "guided": guided,
            "target_altitude": target_altitude is not None, "tolerance": tolerance != 10.0})
    vehicle = aiming_at(vehicle_or_default(vehicle), target_altitude)
    if guided or perigee is not None or apogee is not None:
        vehicle = _ascent.guided_vehicle(
            vehicle, *(None if value is None else real_number(name, value)
                       for name, value in (("perigee", perigee), ("apogee", apogee))))
    thrust = thrust_history(thrust)
    result = _ascent.optimize(vehicle, thrust, real_number("from_", from_), real_number("to", to),
                              positive_number("tolerance", tolerance), limits)
    return Optimum(result, vehicle, thrust)


def sensitivities(turn_time, thrust, vehicle=None, target_altitude=None):
    """Exchange ratios at `turn_time` [s]: a DataFrame, one row per numeric
    vehicle field, the largest effect of 1 % more first, with the columns of
    `ascent-trim sensitivities --csv`: field, unit, value, step (of the
    difference, in the field's unit), central (False: one-sided at an end
    of the field's range), ratio_kg_per_unit (d sc_mass / d field, from the
    unrounded SC_M of flights re-trimmed to the target), per_percent_kg (kg
    for 1 % more of the field), message (why a ratio is NaN) and note (why a
    ratio reads against expectation, "" for most). ValueError for a turn
    time below 1 s or not finite, TypeError for one that is no number;
    FlightError when the flight of `turn_time` cannot be trimmed."""
    turn_time = turn_time_of(turn_time)
    vehicle = aiming_at(vehicle_or_default(vehicle), target_altitude)
    rows = _ascent.sensitivities(vehicle, thrust_history(thrust), turn_time)
    import pandas as pd  # only when used: `import ascent` stays quick

    frame = pd.DataFrame.from_records(rows, columns=_ascent.COLUMNS["sensitivity"])
    frame.attrs["turn_time"] = turn_time
    return with_units(frame)
