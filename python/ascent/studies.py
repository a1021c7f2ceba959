"""Studies of many flights: a sweep of turn times, each trimmed. Without a
client they run on every local core; with a dask.distributed Client their
work goes to the cluster's workers in chunks. Each row is computed by the
same function whatever the chunk it falls in, so the results are the same
row for row and bit for bit however the work is spread."""
import pandas as pd

from . import _ascent
from .inputs import thrust_history, vehicle_or_default

SWEEP_COLUMNS = ["turn_time", "status", "maxa", "perigee", "apogee", "average_altitude",
                 "remaining_propellant", "sc_mass", "flights", "message"]


def sweep_rows(turn_times, vehicle, thrust, target_altitude, tolerance, threads):
    """The sweep's rows for `turn_times`, trimmed on `threads` threads (0: every core)."""
    results = _ascent.sweep(vehicle, thrust, list(turn_times), target_altitude, tolerance, threads)
    rows = [(r.turn_time, r.status, r.maxa, r.perigee, r.apogee, r.average_altitude,
             r.remaining_propellant, r.sc_mass, r.flight_count, r.message) for r in results]
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


def on_cluster(client, function, items, chunks, **shared):
    """`function(chunk, **shared)` for each chunk of `items` on the client's
    workers (one flight thread per task: the workers' threads make the
    parallelism), the DataFrames put back together in order."""
    if chunks is None:
        chunks = 4 * sum(client.nthreads().values())
    futures = client.map(function, chunked(items, chunks), **shared, threads=1, pure=False)
    return pd.concat(client.gather(futures), ignore_index=True)


def sweep(turn_times, thrust, vehicle=None, client=None, target_altitude=None, tolerance=10.0,
          chunks=None):
    """Trims each turn time [s]: a DataFrame, one row per turn time, of
    turn_time [s], status, maxa [deg], perigee, apogee, average_altitude [m],
    remaining_propellant, sc_mass [kg], flights (of the search) and message
    (why a turn time is not trimmed). `client`: a dask.distributed Client;
    `chunks`: how many tasks to cut the turn times into (default: four per
    worker thread)."""
    vehicle = vehicle_or_default(vehicle)
    thrust = thrust_history(thrust)
    if target_altitude is None:
        target_altitude = vehicle["target.altitude"]
    turn_times = [float(t) for t in turn_times]
    shared = dict(vehicle=vehicle, thrust=thrust, target_altitude=float(target_altitude),
                  tolerance=float(tolerance))
    if client is None:
        return sweep_rows(turn_times, threads=0, **shared)
    return on_cluster(client, sweep_rows, turn_times, chunks, **shared)
