"""A closed-loop Monte Carlo dispersion study of the trimmed flight: the
spread of the orbit, the propellant left, the flight performance reserve and
the payload met with 99.865 % probability; writes the cases (CSV) and plots.

    PYTHONPATH=build/release/python /usr/bin/python3 examples/dispersion_study.py --out /tmp/study
    ... --workers 2     # on a Dask cluster of two worker processes
"""
import argparse
import pathlib
import time

import ascent

DATA = pathlib.Path(__file__).resolve().parents[1] / "data"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-n", "--cases", type=int, default=500)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("-t", "--turn-time", type=float, default=20.0, help="[s]")
    parser.add_argument("--thrust", default=DATA / "s1.dat", help="booster thrust file")
    parser.add_argument("--vehicle", help="vehicle deck (default: the standard vehicle)")
    parser.add_argument("--set", help="dispersion set in TOML (default: the built-in one)")
    parser.add_argument("--open-loop", action="store_true",
                        help="fly the nominal angle in every case instead of trimming each")
    parser.add_argument("--workers", type=int, default=0,
                        help="Dask worker processes (0: threads of this process)")
    parser.add_argument("--out", type=pathlib.Path, default=pathlib.Path("."), help="folder")
    args = parser.parse_args()

    with ascent.local_workers(args.workers) as client:
        start = time.perf_counter()
        cases = ascent.monte_carlo(args.cases, turn_time=args.turn_time, thrust=args.thrust,
                                   seed=args.seed, dispersions=args.set, vehicle=args.vehicle,
                                   closed_loop=not args.open_loop, client=client)
        seconds = time.perf_counter() - start

    args.out.mkdir(parents=True, exist_ok=True)
    cases.to_csv(args.out / "cases.csv", index=False)
    ascent.plot.dispersion(cases, args.out / "dispersion.png")
    nominal = ascent.fly(args.turn_time, cases.attrs["nominal_maxa"], thrust=args.thrust,
                         vehicle=args.vehicle)
    ascent.plot.flight(nominal, args.out / "nominal_flight.png")

    s = ascent.summarize(cases)
    print(f"{s['cases']} cases in {seconds:.1f} s,"
          f" nominal maxa {cases.attrs['nominal_maxa']:g} deg")
    print(f"in orbit: {s['in_orbit']} ({100 * s['orbit_probability']:.1f} %);",
          ", ".join(f"{k}: {v}" for k, v in s["by_status"].items() if v and k != "in_orbit"))
    for name in ("perigee", "apogee", "remaining_propellant", "sc_mass"):
        q = s[name]
        print(f"  {name:22s} mean {q['mean']:12.1f}  sigma {q['standard_deviation']:10.1f}"
              f"  0.135 % {q['low']:12.1f}  99.865 % {q['high']:12.1f}")
    if s["not_met_reason"]:
        print(f"no flight performance reserve: {s['not_met_reason']}")
    else:
        print(f"flight performance reserve: {s['flight_performance_reserve']:.0f} kg;"
              f" payload met with 99.865 %: {s['sc_mass_met']:.0f} kg")
    print(f"wrote {args.out / 'cases.csv'}, {args.out / 'dispersion.png'},"
          f" {args.out / 'nominal_flight.png'}")


if __name__ == "__main__":  # Dask's worker processes import this file
    main()
