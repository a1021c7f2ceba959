"""One self-contained HTML page for a flight, a sweep or a Monte Carlo study,
to hand on to a review: what was run, its result table and its figures.
The page and its charts are written by the library, as `ascent-trim
--report` writes them."""
import math
import numbers
import os
import sys

from . import _ascent
from .flights import Trim
from .studies import summarize

SUMMARY_QUANTITIES = ["maxa", "perigee", "apogee", "average_altitude", "remaining_propellant",
                      "sc_mass"]
# The chart series and the columns that hold them.
SERIES = {"maxa": "maxa_deg", "perigee": "perigee_m", "apogee": "apogee_m",
          "remaining_propellant": "remaining_propellant_kg", "sc_mass": "sc_mass_kg"}


def readable(value):
    """`value` as text for the page: the bytes of a name that is not UTF-8
    (a file name the system gave as surrogates) as U+FFFD, as the library
    writes them."""
    return str(value).encode("utf-8", "surrogateescape").decode("utf-8", "replace")


def cell(value):
    """A table cell: numbers to a sensible precision, anything else as text."""
    if isinstance(value, numbers.Real) and not isinstance(value, (bool, numbers.Integral)):
        if math.isnan(value):
            return ""
        # Masses and distances to a tenth, as the program's table has them.
        return f"{value:.1f}" if 1e3 <= abs(value) < 1e12 else f"{value:.6g}"
    return readable(value)


def add_frame(page, frame):
    page.add_table([readable(c) for c in frame.columns],
                   [[cell(v) for v in row] for row in frame.itertuples(index=False)])


def column(frame, name):
    return frame[name].to_numpy(dtype=float).tolist()


def flight_page(page, flight):
    page.add_heading("Results")
    page.add_facts([("end", flight.end), ("perigee", f"{flight.perigee / 1000:.1f} km"),
                    ("apogee", f"{flight.apogee / 1000:.1f} km"),
                    ("remaining propellant", f"{flight.remaining_propellant:.0f} kg"),
                    ("spacecraft mass SC_M", f"{flight.sc_mass:.0f} kg")])
    add_frame(page, flight.events)
    page.add_heading("Figures")
    history = flight.history
    kept = history[~history["search_step"]]
    events = flight.events
    marks = [(t, name) for name, t in zip(events["event"], events["t_s"])
             if name not in ("on the pad", "liftoff")]
    _ascent.add_flight_charts(page, column(kept, "t_s"), column(kept, "h0_m"),
                              column(kept, "vi_m_s"), column(kept, "pq_pa"),
                              column(kept, "a_m_s2"), marks)


def sweep_page(page, rows):
    page.add_heading("Results")
    add_frame(page, rows)
    page.add_heading("Figures")
    columns = _ascent.SweepColumns()
    columns.turn_time = column(rows, "turn_time_s")
    # Only the rows in orbit are drawn: the table says why the others are not.
    in_orbit = rows["status"] == "in_orbit"
    for name, source in SERIES.items():
        setattr(columns, name, rows[source].astype(float).where(in_orbit).tolist())
    _ascent.add_sweep_charts(page, columns)


def dispersion_page(page, cases):
    summary = summarize(cases)
    page.add_heading("Results")
    page.add_facts([(name, cell(summary[name])) for name in
                    ("cases", "in_orbit", "orbit_probability", "sc_mass_met",
                     "remaining_propellant_met", "flight_performance_reserve") if name in summary])
    import pandas as pd  # only when used: `import ascent` stays quick

    stats = pd.DataFrame({q: summary[q] for q in SUMMARY_QUANTITIES if q in summary}).T
    add_frame(page, stats.reset_index(names="quantity"))
    page.add_heading("Figures")
    columns = _ascent.DispersionColumns()
    for name, source in SERIES.items():
        setattr(columns, name, column(cases, source))
    known = set(_ascent.COLUMNS["case"]) | {"case", "seed"}
    drawn = [c for c in cases.columns if c not in known]
    columns.parameter_names = drawn
    columns.parameters = [column(cases, c) for c in drawn]
    columns.nominal_remaining_propellant = float(
        cases.attrs.get("nominal_remaining_propellant", math.nan))
    columns.remaining_propellant_met = float(summary.get("remaining_propellant_met", -math.inf))
    _ascent.add_dispersion_charts(page, columns)


def report(subject, path, title=None, facts=None):
    """Writes `subject` as one self-contained HTML page at `path` (figures
    inline as SVG, nothing fetched from a network) and returns the path.

    `subject`: a Flight or a Trim (its events, altitude, speed, dynamic
    pressure and acceleration with the events marked), a sweep() DataFrame
    (payload, propellant, orbit and angle against the turn time) or a
    monte_carlo() DataFrame (its summary, the orbit spread, the propellant
    left, the payload and the parameters that drive it). `facts`: a dict of
    what was run (deck, thrust file, seed...), shown first with the script.
    TypeError for a `path` that is no str or os.PathLike, ValueError for an
    empty one; the page is written beside it and renamed over it once whole,
    so an OSError (a full disk) leaves the file that was there."""
    if not isinstance(path, (str, os.PathLike)):
        raise TypeError(f"path must be a str or os.PathLike, not {type(path).__name__}")
    if not os.fspath(path):
        raise ValueError("an empty path names no file")
    import pandas as pd

    what = [("script", " ".join(sys.argv) or "(interactive)")] + list((facts or {}).items())
    if isinstance(subject, Trim):
        what.append(("trimmed maxa", f"{subject.maxa:.6f} deg"))
        subject = subject.flight
    if isinstance(subject, _ascent.Flight):
        what += [("turn time", f"{subject.turn_time:g} s"), ("maxa", f"{subject.maxa:.6f} deg")]
        page = _ascent.HtmlReport(title or "Flight")
        page.add_heading("What was run")
        page.add_facts([(readable(k), readable(v)) for k, v in what])
        flight_page(page, subject)
    elif isinstance(subject, pd.DataFrame) and "case" in subject:
        what += [(k, str(subject.attrs[k])) for k in ("turn_time", "closed_loop", "seed")
                 if k in subject.attrs]
        page = _ascent.HtmlReport(title or "Dispersion study")
        page.add_heading("What was run")
        page.add_facts([(readable(k), readable(v)) for k, v in what])
        dispersion_page(page, subject)
    elif isinstance(subject, pd.DataFrame) and "turn_time_s" in subject:
        page = _ascent.HtmlReport(title or "Sweep of turn times")
        page.add_heading("What was run")
        page.add_facts([(readable(k), readable(v)) for k, v in what])
        sweep_page(page, subject)
    else:
        raise TypeError("report() takes a Flight, a Trim, or a sweep or monte_carlo DataFrame, "
                        f"not {type(subject).__name__}")
    page.write(os.fspath(path))
    return path
