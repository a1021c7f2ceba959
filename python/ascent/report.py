"""One self-contained HTML page for a flight, a trim, a guided flight to a
target orbit, the plan of the largest payload, a sweep, a Monte Carlo study
or the exchange ratios, to hand on to a review: what was run, its results
as tables with their units, and its figures. The library writes every page,
as `ascent-trim --report` writes it."""
import math
import sys

from . import _ascent
from .flights import Target, Trim
from .optimum import Optimum


def numbers(frame, name):
    return frame[name].to_numpy(dtype=float).tolist()


def text(value):
    """A fact's value: numbers in their shortest form, None as "-"."""
    if value is None:
        return "-"
    return f"{value:g}" if isinstance(value, float) else str(value)


def sweep_page(run, rows):
    columns = _ascent.SweepColumns()
    for name, source in (("turn_time", "turn_time_s"), ("maxa", "maxa_deg"),
                         ("perigee", "perigee_m"), ("apogee", "apogee_m"),
                         ("average_altitude", "average_altitude_m"),
                         ("remaining_propellant", "remaining_propellant_kg"),
                         ("sc_mass", "sc_mass_kg"), ("max_dynamic_pressure", "max_pq_pa"),
                         ("max_q_alpha", "max_q_alpha_pa_deg"), ("max_acceleration", "max_a_m_s2"),
                         ("flights", "flights")):
        setattr(columns, name, numbers(rows, source))
    columns.status = [str(s) for s in rows["status"]]
    columns.message = ["" if m is None or m != m else str(m) for m in rows["message"]]
    return _ascent.sweep_page(run, columns)


def study_page(run, cases):
    attrs = cases.attrs
    run += [(name, text(attrs[key])) for name, key in (("turn time [s]", "turn_time"),
                                                       ("seed", "seed")) if key in attrs]
    run.append(("cases", str(len(cases))))
    mode = ("guided" if attrs.get("guided") else
            "closed" if attrs.get("closed_loop", True) else "open")
    names = list(cases.columns)
    drawn = {name: numbers(cases, name)
             for name in names[names.index("seed") + 1:names.index("maxa_deg")]}
    return _ascent.study_page(
        run, mode, float(attrs.get("nominal_maxa", math.nan)),
        float(attrs.get("nominal_remaining_propellant", math.nan)),
        float(attrs.get("nominal_sc_mass", math.nan)),
        float(attrs.get("target_perigee", math.nan)), float(attrs.get("target_apogee", math.nan)),
        [str(s) for s in cases["status"]],
        *(numbers(cases, name) for name in
          ("maxa_deg", "perigee_m", "apogee_m", "average_altitude_m", "remaining_propellant_kg",
           "sc_mass_kg", "max_pq_pa", "max_q_alpha_pa_deg", "max_a_m_s2")),
        drawn)


def sensitivities_page(run, ratios):
    if "turn_time" in ratios.attrs:
        run.append(("turn time", f"{ratios.attrs['turn_time']:g} s"))
    rows = [(r.field, float(r.value), float(r.step), bool(r.central), float(r.ratio_kg_per_unit),
             "" if r.message != r.message else str(r.message))
            for r in ratios.itertuples(index=False)]
    return _ascent.sensitivities_page(run, rows)


def page_of(subject, run):
    """The page of `subject`, or TypeError."""
    if isinstance(subject, Trim):
        flight = subject.flight if subject.trimmed else None
        return flight_page("Trim", run, _ascent.trim_facts(subject._result), flight)
    if isinstance(subject, Target):
        return flight_page("Guided flight to a target orbit", run,
                           _ascent.target_facts(subject._result), subject.flight)
    if isinstance(subject, Optimum):
        return flight_page("Payload optimisation", run, _ascent.optimum_facts(subject._result),
                           subject.flight if subject.feasible else None)
    if isinstance(subject, _ascent.Flight):
        results = [("outcome", subject.outcome), ("turn time", f"{subject.turn_time:g} s"),
                   ("maxa", f"{subject.maxa:.6f} deg")]
        if subject.reason:
            results.append(("why not in orbit", subject.reason))
        return flight_page("Flight", run, results, subject)
    frame = getattr(subject, "columns", None)
    if frame is not None and "case" in frame:
        return study_page(run, subject)
    if frame is not None and "turn_time_s" in frame:
        return sweep_page(run, subject)
    if frame is not None and "ratio_kg_per_unit" in frame:
        return sensitivities_page(run, subject)
    raise TypeError("report() takes a Flight, a Trim, a Target, an Optimum, or a sweep, "
                    f"monte_carlo or sensitivities DataFrame, not {type(subject).__name__}")


def flight_page(title, run, results, flight):
    """The page of `flight` (None: its results alone)."""
    return _ascent.flight_page(title, run, [(k, text(v)) for k, v in results], flight)


def report(subject, path, title=None, facts=None):
    """Writes `subject` as one self-contained HTML page at `path` (figures
    inline as SVG, nothing fetched from a network) and returns the path.

    `subject`: a Flight, a Trim, a Target or an Optimum (its results, its
    events, and altitude, speed, dynamic pressure and acceleration against
    time with the events marked), a sweep() DataFrame (the largest payload
    and the payload, propellant, orbit and angle against the turn time, the
    rows not in orbit apart), a monte_carlo() DataFrame (its summary,
    statistics with their units and quantiles, the flight performance
    reserve or why there is none, what drives the payload, and the spread)
    or a sensitivities() DataFrame. `facts`: a dict of what was run (deck,
    thrust file, seed...), shown first with the script; `title` replaces
    the page's own ("Sweep of turn times", ...)."""
    run = [("script", " ".join(sys.argv) or "(interactive)")]
    run += [(str(k), text(v)) for k, v in (facts or {}).items()]
    page = page_of(subject, run)
    if title is not None:
        page.title = str(title)
    page.write(str(path))
    return path
