"""Studies of many flights: a sweep of turn times, each trimmed, and a Monte
Carlo dispersion study. Without a client they run on every local core; with
a dask.distributed Client their work goes to the cluster's workers in
chunks. Each row is computed by the same function whatever the chunk it
falls in, so the results are the same row for row and bit for bit however
the work is spread. Ctrl-C stops a study within a second: KeyboardInterrupt."""
import contextlib
import importlib.util
import math
import os

from . import _ascent
from .inputs import (aiming_at, positive_number, real_number, thrust_history, turn_time_of,
                     vehicle_or_default, whole_number)

# The columns of a sweep: those of ascent-trim's trade table CSV.
SWEEP_COLUMNS = _ascent.COLUMNS["trim"]


def with_units(frame, **more):
    """`frame` with the unit of each column it shares with ascent-trim's CSV
    files (and `more` name=unit) in frame.attrs["units"]."""
    units = {name: _ascent.UNITS[name] for name in frame.columns if name in _ascent.UNITS}
    frame.attrs["units"] = units | more
    return frame


def sweep_rows(turn_times, vehicle, thrust, tolerance, threads):
    """The sweep's rows for `turn_times`, trimmed on `threads` threads (0:
    every core); a row not trimmed has no flight to show, its numbers NaN."""
    results = _ascent.sweep(vehicle, thrust, list(turn_times), tolerance, threads)

    def flown(r, value):
        return value if r.trimmed else math.nan

    rows = [(r.turn_time, flown(r, r.maxa), flown(r, r.perigee), flown(r, r.apogee),
             flown(r, r.average_altitude), flown(r, r.remaining_propellant),
             flown(r, r.sc_mass), flown(r, r.max_dynamic_pressure),
             flown(r, r.max_dynamic_pressure_time), flown(r, r.max_q_alpha),
             flown(r, r.max_q_alpha_time), flown(r, r.max_acceleration),
             flown(r, r.max_acceleration_time), r.flight_count, r.status, r.message)
            for r in results]
    import pandas as pd  # only when used: `import ascent` stays quick

    return pd.DataFrame.from_records(rows, columns=SWEEP_COLUMNS)


def chunked(items, count):
    """`items` cut into at most `count` consecutive chunks of near-equal size."""
    count = max(1, min(count, len(items)))
    size, extra = divmod(len(items), count)
    chunks, start = [], 0
    for i in range(count):
        end = start + size + (1 if i < extra else 0)
        chunks.append(items[start:end])
        start = end
    return chunks


WORKER_WAIT = 30.0  # [s] for a first worker to join the scheduler


def check_workers(client, timeout=WORKER_WAIT):
    """Raises RuntimeError within `timeout` seconds when the cluster has no
    worker or a worker cannot import ascent: tasks would otherwise wait for
    ever for a worker that can run them."""
    try:
        client.wait_for_workers(1, timeout=timeout)
        # find_spec comes from the standard library: a worker without ascent can run it.
        found = client.run(importlib.util.find_spec, "ascent")
    except TimeoutError as error:
        raise RuntimeError(f"no Dask worker joined the scheduler {client.scheduler.address} "
                           f"within {timeout:g} s: start workers that can import ascent "
                           f"(cmake --install build/release installs it)") from error
    failed = [worker for worker, where in found.items() if where is None]
    if failed:
        raise RuntimeError(
            f"{len(failed)} of {len(found)} Dask workers cannot import ascent ({failed[0]}): "
            f"install the package (cmake --install build/release) or start the workers with "
            f"PYTHONPATH=build/release/python")


def on_cluster(client, function, items, chunks, **shared):
    """`function(chunk, **shared)` for each chunk of `items` on the client's
    workers, the DataFrames put back together in order. Ctrl-C while waiting
    cancels the chunks not yet done and raises KeyboardInterrupt at once."""
    if chunks is None:
        chunks = 4 * sum(client.nthreads().values())
    futures = client.map(function, chunked(items, chunks), **shared, pure=False)
    try:
        parts = client.gather(futures)
    except KeyboardInterrupt:
        client.cancel(futures)
        raise
    import pandas as pd

    return pd.concat(parts, ignore_index=True)


def sweep(turn_times, thrust, vehicle=None, client=None, target_altitude=None, tolerance=10.0,
          chunks=None):
    """Trims each turn time [s]: a DataFrame, one row per turn time, of the
    columns of ascent-trim's trade table CSV: turn_time_s, maxa_deg,
    perigee_m, apogee_m, average_altitude_m, remaining_propellant_kg,
    sc_mass_kg, the load maxima with their times (max_pq_pa, max_q_alpha_pa_deg,
    max_a_m_s2, ..._time_s), flights (of the search), status and message (why the row is
    not in orbit), with their units in attrs["units"]; the numbers are NaN where the turn time
    could not be trimmed. The status is the trimmed flight's
    outcome ("in_orbit", "short_of_propellant", "perigee_below_minimum",
    "turn_too_long", ...), else "out_of_reach", "not_converged" or
    "flight_error"; only "in_orbit" rows are feasible. `client`: a dask.distributed Client;
    `chunks`: how many tasks to cut the turn times into (default: four per
    worker thread)."""
    vehicle = aiming_at(vehicle_or_default(vehicle), target_altitude)
    turn_times = [float(t) for t in turn_times]
    shared = dict(vehicle=vehicle, thrust=thrust_history(thrust),
                  tolerance=positive_number("tolerance", tolerance))
    if client is None:
        return with_units(sweep_rows(turn_times, threads=0, **shared))
    # One flight thread per task: the workers' threads make the parallelism.
    check_workers(client)
    return with_units(on_cluster(client, sweep_rows, turn_times, chunks, threads=1, **shared))


def dispersion_set(dispersions):
    """`dispersions` itself, the TOML file at that path, or the built-in set when None."""
    if dispersions is None:
        return _ascent.Dispersions.default()
    if isinstance(dispersions, _ascent.Dispersions):
        return dispersions
    if isinstance(dispersions, (str, os.PathLike)):
        return _ascent.Dispersions.read(dispersions)
    raise TypeError(f"dispersions must be Dispersions or a path, not {type(dispersions).__name__}")


def case_rows(ks, study, seed, threads=1):
    """The rows of cases `ks` of a prepared study, flown on `threads` threads (0: every core)."""
    import pandas as pd

    return pd.DataFrame(study.fly_cases(seed, list(ks), threads))


def plan_of(plan):
    """The plan (turn time [s], maxa [deg], guided, the perigee and apogee
    [m] a guided plan aims at or None) of an Optimum, or of the CSV file
    that `ascent-trim optimize --csv` writes (a path)."""
    if hasattr(plan, "turn_time") and hasattr(plan, "maxa"):
        return (float(plan.turn_time), float(plan.maxa), plan.guided) + plan.target
    if not isinstance(plan, (str, os.PathLike)):
        raise TypeError("plan must be an Optimum or the path of `optimize --csv`'s file, "
                        f"not {type(plan).__name__}")
    return _ascent.read_plan(os.fspath(plan))


def monte_carlo(n, seed=1, dispersions=None, turn_time=None, thrust=None, vehicle=None,
                closed_loop=True, client=None, target_altitude=None, tolerance=10.0,
                chunks=None, guided=False, maxa=None, plan=None):
    """A Monte Carlo dispersion study of `n` cases about the vehicle's flight
    at `turn_time` [s], its nominal angle trimmed to the target. Each case
    draws the parameters of `dispersions` (a Dispersions, the path of a TOML
    set, or None for the built-in set) from `seed` and its number; closed
    loop, each case is trimmed to the target; open loop, each flies the
    nominal angle; guided (also a vehicle whose upper stage is guided),
    each flies the nominal angle with its upper stage guided to the
    vehicle's target orbit (no trim per case). The nominal angle is `maxa`
    [deg] when given (closed loop: where its trim starts), else the trimmed
    one; `plan` (an Optimum, or the path of `ascent-trim optimize --csv`'s
    file) gives the turn time and the angle, and a guided plan makes the
    study guided to the orbit it was found for, as `ascent-trim dispersions
    --plan` takes them.

    A DataFrame, one row per case, with the columns of ascent-trim's case
    file: case, seed, the drawn value of each parameter (by its name),
    maxa_deg, perigee_m, apogee_m, average_altitude_m,
    remaining_propellant_kg, sc_mass_kg, max_pq_pa, max_q_alpha_pa_deg,
    max_a_m_s2 (NaN when the case did not separate), flights, status (the flight's outcome: "in_orbit",
    "short_of_propellant", ...; or "out_of_reach", "not_converged",
    "out_of_range", "flight_error" for a case with no flight to report) and
    message (why the case is not in orbit). Its attrs hold the units of the
    columns ("units") and the nominal flight's maxa and remaining
    propellant, for summarize()."""
    vehicle = aiming_at(vehicle_or_default(vehicle), target_altitude)
    if plan is not None:
        if turn_time is not None or maxa is not None:
            raise TypeError("monte_carlo() takes a plan or a turn_time and maxa, not both")
        turn_time, maxa, planned_guided, perigee, apogee = plan_of(plan)
        # A guided plan is flown guided, to the orbit it was found for.
        if planned_guided:
            guided = True
            vehicle = _ascent.guided_vehicle(vehicle, perigee, apogee)
    if turn_time is None or thrust is None:
        raise TypeError("monte_carlo() needs a turn_time (or a plan) and a thrust history "
                        "(thrust=)")
    if maxa is not None:
        maxa = real_number("maxa", maxa)
        if not 0.0 <= maxa <= 90.0:
            raise ValueError(f"maxa = {maxa!r} must be from 0 to 90 degrees")
    n = whole_number("n", n, 1)
    seed = whole_number("seed", seed, 0, 2**64 - 1)
    tolerance = positive_number("tolerance", tolerance)
    study = _ascent.prepare_study(vehicle, thrust_history(thrust), turn_time_of(turn_time),
                                  dispersion_set(dispersions), bool(closed_loop), tolerance,
                                  bool(guided), maxa)
    ks = list(range(n))
    if client is None:
        cases = case_rows(ks, study, seed, threads=0)
    else:
        # Each worker unpickles the study once, trimming its nominal flight again.
        check_workers(client)
        [shared_study] = client.scatter([study], broadcast=True)
        cases = on_cluster(client, case_rows, ks, chunks, study=shared_study, seed=seed)
    with_units(cases, **study.dispersions.units)
    cases.attrs.update(turn_time=study.turn_time, closed_loop=study.closed_loop,
                       guided=study.guided, seed=seed,
                       nominal_maxa=study.nominal_maxa,
                       nominal_remaining_propellant=study.nominal_remaining_propellant,
                       nominal_sc_mass=study.nominal_sc_mass,
                       target_perigee=study.target_perigee, target_apogee=study.target_apogee)
    return cases


def summarize(cases, nominal_remaining_propellant=None):
    """The library's summary of a study's cases (a monte_carlo DataFrame, or
    any rows of one): counts by status, the probability of orbit, statistics
    (count, mean, standard_deviation, low = 0.135 % and high = 99.865 %
    quantiles, median) of maxa, the orbit, remaining_propellant, sc_mass and
    the load maxima over the cases that separated, each drawn parameter's
    rank correlation with sc_mass over them (sc_mass_rank_correlation), what is met with 99.865 % probability
    (every case not in_orbit counting as a failure), and the flight
    performance reserve over the nominal flight's remaining propellant (from
    the study's attrs). Where no reserve covers 99.865 % of the cases these
    three are NaN and not_met_reason says why ("" otherwise).

    rubber_tank is the flight performance reserve as a guided vehicle's is
    sized: over the cases that reach the orbit whatever propellant they
    need (in_orbit, short_of_propellant, over_load_limit; a deficit counts
    as negative propellant left), the statistics of the remaining
    propellant, orbit_probability (their share), reserve (the nominal less
    their 0.135 % quantile), reserve_3_sigma (the nominal less mean - 3
    sigma), lowest_case_confidence (that their lowest case lies below the
    true 0.135 % quantile), cases_for_95_percent, and rank_correlation (each
    drawn parameter's with their remaining propellant: what drives it)."""
    if nominal_remaining_propellant is None:
        nominal_remaining_propellant = cases.attrs.get("nominal_remaining_propellant", math.nan)
    columns = [cases[name].to_numpy(dtype=float) for name in
               ("maxa_deg", "perigee_m", "apogee_m", "average_altitude_m",
                "remaining_propellant_kg", "sc_mass_kg", "max_pq_pa", "max_q_alpha_pa_deg",
                "max_a_m_s2")]
    # The drawn parameters: the columns between the seed and maxa.
    names = list(cases.columns)
    drawn = {name: cases[name].to_numpy(dtype=float)
             for name in names[names.index("seed") + 1:names.index("maxa_deg")]}
    return _ascent.summarize(list(cases["status"]), *columns, drawn,
                             nominal_remaining_propellant=float(nominal_remaining_propellant))


@contextlib.contextmanager
def local_workers(count, host="127.0.0.1"):
    """A Dask client on `count` worker processes of a LocalCluster on this
    machine, for the `client=` of sweep and monte_carlo; None when `count` is
    0 (the studies then run on this process's threads). Both are closed on
    leaving the block. A script that starts one needs the
    `if __name__ == "__main__":` guard: the workers are spawned."""
    if not count:
        yield None
        return
    import distributed

    with distributed.LocalCluster(n_workers=count, threads_per_worker=1, processes=True,
                                  host=host, dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        yield client
