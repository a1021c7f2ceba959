"""Cost of the Python package: the time `import ascent` takes in a fresh
interpreter, flights per second through ascent.fly (no history, then with
it) to hold against mission_bench's FlightThroughTheLibrary, the CPU time
of plot.dispersion for a study of 1000 cases, and a sweep on local threads
against the same sweep on a Dask cluster of two worker processes.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_bench.py
"""
import argparse
import pathlib
import subprocess
import sys
import time

import ascent

DATA = pathlib.Path(__file__).resolve().parents[1] / "data"


def per_flight(flights, repeats, **options):
    """Seconds per flight over `repeats` runs of `flights` flights: the best
    wall time and the best CPU time of this thread (what Google Benchmark
    calls CPU, less disturbed by other processes on a busy machine)."""
    thrust = ascent.ThrustHistory.read(DATA / "s1.dat")
    vehicle = ascent.Vehicle()
    wall, cpu = [], []
    for _ in range(repeats):
        start, start_cpu = time.perf_counter(), time.thread_time()
        for _ in range(flights):
            ascent.fly(20, 18, thrust=thrust, vehicle=vehicle, **options)
        wall.append((time.perf_counter() - start) / flights)
        cpu.append((time.thread_time() - start_cpu) / flights)
    return min(wall), min(cpu)


def best_time(function, repeats):
    """The last result of `repeats` calls of `function`, and the shortest time of one."""
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        result = function()
        times.append(time.perf_counter() - start)
    return result, min(times)


def import_time(repeats):
    """The shortest time `import ascent` takes in a fresh interpreter [s]."""
    script = "import time; t = time.perf_counter(); import ascent; print(time.perf_counter() - t)"
    return min(float(subprocess.run([sys.executable, "-c", script], capture_output=True,
                                    text=True, check=True).stdout) for _ in range(repeats))


def plot_time(repeats):
    """The shortest CPU time of plot.dispersion of 1000 cases saved as a PNG [s]."""
    import tempfile

    cases = ascent.monte_carlo(1000, turn_time=20, thrust=DATA / "s1.dat", closed_loop=False)
    ascent.plot.dispersion(cases)  # matplotlib's first use loads its fonts
    times = []
    with tempfile.TemporaryDirectory() as folder:
        for _ in range(repeats):
            start = time.process_time()
            ascent.plot.dispersion(cases, path=pathlib.Path(folder) / "study.png")
            times.append(time.process_time() - start)
    return min(times)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--flights", type=int, default=300)
    parser.add_argument("--repeats", type=int, default=5)
    args = parser.parse_args()

    print(f"import ascent in a fresh interpreter: {import_time(args.repeats):.3f} s")
    print(f"plot.dispersion of 1000 cases to PNG: {plot_time(args.repeats):.3f} s CPU")

    for label, options in (("no history", dict(history=False)),
                           ("with history", dict(history=True))):
        wall, cpu = per_flight(args.flights, args.repeats, **options)
        print(f"ascent.fly, {label}: {1e3 * wall:.3f} ms per flight ({1 / wall:.0f} flights/s),"
              f" CPU {1e3 * cpu:.3f} ms ({1 / cpu:.0f} flights/s)")

    from distributed import Client, LocalCluster

    thrust = ascent.ThrustHistory.read(DATA / "s1.dat")
    turn_times = [10 + 0.25 * i for i in range(81)]
    local, local_s = best_time(lambda: ascent.sweep(turn_times, thrust=thrust), args.repeats)
    print(f"sweep of {len(turn_times)} turn times on local threads: {local_s:.2f} s")
    with LocalCluster(n_workers=2, processes=True, threads_per_worker=1, host="127.0.0.1",
                      dashboard_address=None) as cluster, Client(cluster) as client:
        spread, spread_s = best_time(lambda: ascent.sweep(turn_times, thrust=thrust, client=client),
                                     args.repeats)
    print(f"the same sweep on 2 Dask worker processes: {spread_s:.2f} s,"
          f" identical: {spread.equals(local)}")


if __name__ == "__main__":  # Dask's worker processes import this file
    main()
