#!/usr/bin/env python3
"""Writes the sample booster thrust file data/s1.dat.

The thrust history of one solid booster is drawn through a few control
points of a typical segmented solid-motor trace (steep rise at ignition, a
high-pressure plateau, a throttle-down "bucket" shaped by the grain to ease
the vehicle through maximum dynamic pressure, a second plateau and a tail-off
as the web burns out), then scaled so that the propellant one booster burns by
separation at 128.4 s is the load less a small residual:

    impulse(0 .. 128.4 s) = (BOOSTER_PROPELLANT - residual) * BOOSTER_EXHAUST_VELOCITY

computed exactly as the simulator books it (a ramp from zero to the first
record, trapezoids between records, the part of the last interval after
separation taken back). Records are 1 s apart from 1 s to 130 s.
"""
import argparse
import bisect

BOOSTER_PROPELLANT = 632489.0      # kg, load of one booster
EXHAUST_VELOCITY = 2605.4          # m/s, vacuum thrust per kg/s
SEPARATION = 128.4                 # s

# (time [s], relative thrust): the shape, scaled below.
SHAPE = [
    (0.0, 0.0),
    (1.0, 1.40),     # ignition pressure peak of the star-shaped forward grain
    (8.0, 1.27),     # high-pressure plateau: leaves the pad fast, turns late
    (24.0, 1.27),
    (40.0, 0.88),    # bucket through maximum dynamic pressure (near 57 s)
    (60.0, 0.88),
    (74.0, 0.94),    # second plateau as the burning area grows again
    (100.0, 0.94),
    (114.0, 0.70 * 0.94),  # tail-off as the web burns through
    (122.0, 0.36 * 0.94),
    (128.0, 0.14 * 0.94),
    (130.0, 0.065 * 0.94),
]


def shape_at(t):
    times = [p[0] for p in SHAPE]
    i = max(1, min(bisect.bisect_left(times, t), len(SHAPE) - 1))
    (t0, f0), (t1, f1) = SHAPE[i - 1], SHAPE[i]
    return f0 + (f1 - f0) * (t - t0) / (t1 - t0)


def booked_propellant(records):
    """Propellant one booster burns by separation, booked record by record."""
    (t_prev, f_prev) = records[0]
    used = f_prev * 0.5 * t_prev / EXHAUST_VELOCITY
    for t, f in records[1:]:
        used += (f + f_prev) * 0.5 * (t - t_prev) / EXHAUST_VELOCITY
        if t >= SEPARATION:
            rest = t - SEPARATION
            used -= rest * (f - 0.5 * rest * (f - f_prev) / (t - t_prev)) / EXHAUST_VELOCITY
            return used
        t_prev, f_prev = t, f
    raise ValueError("records end before separation")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--residual", type=float, default=150.0, help="kg left in each booster")
    parser.add_argument("--output", default="data/s1.dat")
    args = parser.parse_args()

    times = [float(t) for t in range(1, 131)]
    unit = [(t, shape_at(t)) for t in times]
    scale = (BOOSTER_PROPELLANT - args.residual) / booked_propellant(unit)
    records = [(t, round(f * scale, -2)) for t, f in unit]
    with open(args.output, "w", newline="\n") as out:
        for t, f in records:
            out.write(f"{t:5.1f} {f:12.1f}\n")
    print(f"peak {max(f for _, f in records):.0f} N, "
          f"booked {booked_propellant(records):.1f} kg, "
          f"residual {BOOSTER_PROPELLANT - booked_propellant(records):.1f} kg")


if __name__ == "__main__":
    main()
