"""Plots of a flight, a sweep and a dispersion study with matplotlib.

Each function draws on its own Figure with the Agg canvas, so no display is
needed (scripts, workers, servers) and no pyplot state is touched; in a
notebook the returned Figure shows as it is. With `path` the figure is also
saved, in the format of the file's extension (PNG, PDF, SVG...).
"""
import numpy as np
from matplotlib.backends.backend_agg import FigureCanvasAgg
from matplotlib.figure import Figure

# Events worth a line across a flight's panels.
MARKED_EVENTS = ("pitch-over", "booster separation", "fairing jettison", "core separation",
                 "upper-stage cutoff")


def figure(rows, columns, width, height, **options):
    # Fixed margins: a constrained layout measures every label first, which
    # took most of the time of a figure.
    fig = Figure(figsize=(width, height))
    FigureCanvasAgg(fig)
    fig.subplots_adjust(left=0.75 / width, right=1 - 0.25 / width, bottom=0.6 / height,
                        top=1 - 0.55 / height, wspace=0.25, hspace=0.3)
    axes = fig.subplots(rows, columns, squeeze=False, **options)
    return fig, axes


def finish(fig, path):
    if path is not None:
        fig.savefig(path, dpi=100)
    return fig


def flight(flight, path=None):
    """Speed, altitude, thrust acceleration and dynamic pressure against time,
    with the flight's main events marked."""
    history = flight.history
    t = history["t_s"]
    fig, axes = figure(2, 2, 11, 7, sharex=True)
    panels = [("vi_m_s", 1.0, "inertial speed [m/s]"), ("h0_m", 1e-3, "altitude [km]"),
              ("a_m_s2", 1.0, "thrust acceleration [m/s²]"),
              ("pq_pa", 1e-3, "dynamic pressure [kPa]")]
    events = flight.events
    marked = events[events["event"].isin(MARKED_EVENTS)]
    for ax, (column, scale, label) in zip(axes.flat, panels):
        ax.plot(t, history[column] * scale, lw=1.2)
        ax.set_ylabel(label)
        ax.grid(alpha=0.3)
        for when in marked["t_s"]:
            ax.axvline(when, color="0.6", lw=0.8, ls=":")
    for ax in axes[-1]:
        ax.set_xlabel("mission time [s]")
    top = axes[0, 0]
    for when, name in zip(marked["t_s"], marked["event"]):
        top.annotate(name, (when, 1.0), xycoords=("data", "axes fraction"), rotation=90,
                     va="top", ha="right", fontsize=7, color="0.4")
    title = f"Turn time {flight.turn_time:g} s, maxa {flight.maxa:.4f}°"
    if flight.separated:
        title += (f": perigee {flight.perigee / 1000:.1f} km, apogee {flight.apogee / 1000:.1f} km,"
                  f" SC_M {flight.sc_mass:.0f} kg")
    else:
        title += f": {flight.reason}"
    fig.suptitle(title)
    return finish(fig, path)


def sweep(results, path=None):
    """The spacecraft mass and the trimmed maxa against the turn time. Rows
    in orbit are joined by a line and the largest payload among them is
    marked; trimmed rows not in orbit (short of propellant, perigee too low)
    are grey crosses, each labelled with its outcome in the legend."""
    flown = results.dropna(subset=["sc_mass_kg"])
    feasible = flown[flown["status"] == "in_orbit"]
    infeasible = flown[flown["status"] != "in_orbit"]
    fig, axes = figure(2, 1, 8, 7, sharex=True)
    payload, angle = axes[:, 0]
    for ax, column, color in ((payload, "sc_mass_kg", "tab:blue"), (angle, "maxa_deg", "tab:orange")):
        ax.plot(feasible["turn_time_s"], feasible[column], "o-", ms=3, color=color,
                label="in_orbit")
        for status, group in infeasible.groupby("status"):
            ax.plot(group["turn_time_s"], group[column], "x", ms=6, color="0.55",
                    label=f"{status} (infeasible)")
    payload.set_ylabel("spacecraft mass SC_M [kg]")
    if len(feasible):
        best = feasible.loc[feasible["sc_mass_kg"].idxmax()]
        payload.plot(best["turn_time_s"], best["sc_mass_kg"], "r*", ms=12,
                     label=f"largest: {best['sc_mass_kg']:.0f} kg at {best['turn_time_s']:g} s")
    payload.legend(fontsize=8)
    angle.set_ylabel("trimmed maxa [deg]")
    angle.set_xlabel("turn time [s]")
    for ax in axes.flat:
        ax.grid(alpha=0.3)
    fig.suptitle(f"Sweep of {len(results)} turn times, {len(feasible)} in orbit")
    return finish(fig, path)


def dispersion(cases, path=None, bins=30):
    """A dispersion study (the DataFrame of monte_carlo): histograms of the
    perigee and apogee and of the propellant left, with the nominal and the
    0.135 % quantile that sets the reserve, a perigee-apogee scatter by
    status, and the trimmed (or flown) maxa."""
    from .studies import summarize

    summary = summarize(cases)
    flown = cases.dropna(subset=["perigee_m"])
    in_orbit = flown["status"] == "in_orbit"
    fig, axes = figure(2, 2, 11, 8)
    orbit, reserve, scatter, angle = axes.flat

    orbit.hist([flown["perigee_m"] / 1000, flown["apogee_m"] / 1000], bins=bins,
               label=["perigee", "apogee"], histtype="stepfilled", alpha=0.6)
    orbit.set_xlabel("altitude [km]")
    orbit.set_ylabel("cases")
    orbit.legend()

    reserve.hist(flown["remaining_propellant_kg"], bins=bins, color="tab:green", alpha=0.7)
    nominal = cases.attrs.get("nominal_remaining_propellant")
    if nominal is not None:
        reserve.axvline(nominal, color="k", ls="--", label=f"nominal {nominal:.0f} kg")
    met = summary["remaining_propellant_met"]
    if np.isfinite(met):
        reserve.axvline(met, color="r", label=f"0.135 % quantile {met:.0f} kg")
    reserve.set_xlabel("remaining upper-stage propellant [kg]")
    reserve.set_ylabel("cases")
    reserve.legend(fontsize=8)

    for status, group in flown.groupby("status"):
        scatter.scatter(group["perigee_m"] / 1000, group["apogee_m"] / 1000, s=6, label=status)
    scatter.set_xlabel("perigee [km]")
    scatter.set_ylabel("apogee [km]")
    scatter.legend(fontsize=8)

    angle.hist(flown.loc[in_orbit, "maxa_deg"], bins=bins, color="tab:purple", alpha=0.7)
    angle.set_xlabel(("trimmed " if cases.attrs.get("closed_loop") else "") + "maxa [deg]")
    angle.set_ylabel("cases")
    for ax in axes.flat:
        ax.grid(alpha=0.3)

    loop = "closed loop" if cases.attrs.get("closed_loop") else "open loop"
    in_orbit_percent = 100 * summary["orbit_probability"]
    title = f"{summary['cases']} cases, {loop}: {in_orbit_percent:.1f} % in orbit"
    reserve_kg = summary["flight_performance_reserve"]
    if np.isfinite(reserve_kg):
        title += f", flight performance reserve {reserve_kg:.0f} kg"
    else:
        title += f": {summary['not_met_reason']}"
    fig.suptitle(title)
    return finish(fig, path)
