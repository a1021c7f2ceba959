"""Every flight's outcome in the same words as the library and ascent-trim,
and only in_orbit taken as feasible by sweeps, summaries and plots."""
import numpy as np
import pytest

import ascent
from conftest import DATA_DIR

TARGET_300KM = DATA_DIR / "vehicles/target_300km.toml"


@pytest.mark.parametrize("turn_time, maxa, outcome", [
    (20, 18, "in_orbit"),
    (10, 14.549857, "short_of_propellant"),  # the upper stage runs dry
    (20, 15, "perigee_below_minimum"),       # an orbit through the ground
    (150, 18, "turn_too_long"),
    (20, 0, "cannot_reach_orbit"),
])
def test_each_flight_has_one_outcome(thrust, turn_time, maxa, outcome):
    flight = ascent.fly(turn_time, maxa, thrust=thrust, history=False)
    assert (flight.outcome, flight.in_orbit) == (outcome, outcome == "in_orbit")


def test_a_minimum_perigee_from_the_vehicle(thrust):
    vehicle = ascent.Vehicle()
    assert vehicle.target.minimum_perigee == 100000
    vehicle.target.minimum_perigee = 150000  # the 20 s flight's perigee is about 140 km
    assert ascent.fly(20, 17.959326, thrust=thrust, vehicle=vehicle).outcome == (
        "perigee_below_minimum")


def test_a_sweep_with_nothing_in_orbit_has_no_best(trim_tool, sample_path):
    rows = ascent.sweep([10, 15], thrust=sample_path, vehicle=TARGET_300KM)
    assert list(rows["status"]) == ["short_of_propellant", "out_of_reach"]
    assert rows["message"][0] == "the upper stage needs 5900 kg more propellant than it holds"
    # The same words and the same verdict as the command line's, which exits 1.
    tool = trim_tool.csv("--vehicle", str(TARGET_300KM), "sweep", "--from", "10", "--to", "15",
                         "--step", "5", status=1)
    assert list(tool["status"]) == list(rows["status"])
    assert list(tool["message"]) == list(rows["message"])
    payload = ascent.plot.sweep(rows).axes[0]
    assert not any(line.get_label().startswith("largest") for line in payload.lines)
    crosses = [line for line in payload.lines if "infeasible" in line.get_label()]
    assert [line.get_label() for line in crosses] == ["short_of_propellant (infeasible)"]


def test_a_summary_says_why_no_reserve_covers_the_cases(sample_path):
    # At 10 s the nominal angle runs the upper stage dry: no case is in orbit.
    cases = ascent.monte_carlo(6, turn_time=10, thrust=sample_path, seed=3, closed_loop=False)
    assert "in_orbit" not in set(cases["status"])
    summary = ascent.summarize(cases)
    assert (summary["in_orbit"], summary["orbit_probability"]) == (0, 0.0)
    assert np.isnan(summary["flight_performance_reserve"])
    assert np.isnan(summary["sc_mass_met"])
    assert summary["not_met_reason"] == ("more than 0.135 % of the cases fail, so no reserve "
                                         "covers them")
