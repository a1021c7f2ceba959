"""Sweeps turn times, trims each to the target orbit, and plots the payload
and the trimmed angle against the turn time, and the best turn time's flight.

    PYTHONPATH=build/release/python /usr/bin/python3 examples/sweep_study.py --out /tmp/sweep
"""
import argparse
import pathlib

import numpy as np

import ascent

DATA = pathlib.Path(__file__).resolve().parents[1] / "data"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--thrust", default=DATA / "s1.dat", help="booster thrust file")
    parser.add_argument("--vehicle", help="vehicle deck (default: the standard vehicle)")
    parser.add_argument("--from", dest="first", type=float, default=10.0, help="[s]")
    parser.add_argument("--to", dest="last", type=float, default=30.0, help="[s]")
    parser.add_argument("--step", type=float, default=1.0, help="[s]")
    parser.add_argument("--workers", type=int, default=0,
                        help="Dask worker processes (0: threads of this process)")
    parser.add_argument("--out", type=pathlib.Path, default=pathlib.Path("."), help="folder")
    args = parser.parse_args()

    turn_times = np.arange(args.first, args.last + args.step / 2, args.step)
    with ascent.local_workers(args.workers) as client:
        results = ascent.sweep(turn_times, thrust=args.thrust, vehicle=args.vehicle, client=client)

    args.out.mkdir(parents=True, exist_ok=True)
    results.to_csv(args.out / "sweep.csv", index=False)
    ascent.plot.sweep(results, args.out / "sweep.png")
    in_orbit = results[results["status"] == "in_orbit"]
    print(results[["turn_time_s", "status", "maxa_deg", "sc_mass_kg", "remaining_propellant_kg"]]
          .to_string(index=False))
    if len(in_orbit):
        best = in_orbit.loc[in_orbit["sc_mass_kg"].idxmax()]
        flight = ascent.fly(best["turn_time_s"], best["maxa_deg"], thrust=args.thrust,
                            vehicle=args.vehicle)
        ascent.plot.flight(flight, args.out / "best_flight.png")
        print(f"largest payload: {best['sc_mass_kg']:.0f} kg at turn time {best['turn_time_s']:g} s")
    else:
        print("no turn time is in orbit")
        return 1
    return 0


if __name__ == "__main__":  # Dask's worker processes import this file
    raise SystemExit(main())
