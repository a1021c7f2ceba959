"""The optimal ascent of a staged deck from Python: the Delta III benchmark's
published optimum, the same results under the same names and units as
`ascent-trim optimize --vehicle`, the optimum flown, arguments of a classic
vehicle's search refused, and Ctrl-C."""
import subprocess

import numpy as np
import pytest

import ascent

from conftest import DATA_DIR, TRIM_TOOL

DELTA3 = DATA_DIR / "vehicles" / "delta3.toml"
BETTS_FINAL_MASS = 7529.712  # [kg], Practical Methods for Optimal Control, example 6.15


@pytest.fixture(scope="module")
def delta():
    return ascent.StagedVehicle.read(DELTA3)


@pytest.fixture(scope="module")
def best(delta):
    return ascent.optimize(vehicle=delta)


def test_the_benchmark_optimum_is_found_and_flown(best):
    assert best.feasible
    assert best.final_mass == pytest.approx(BETTS_FINAL_MASS, abs=0.1)
    assert list(best.phase_ends.values())[-1] == best.final_time
    flight = best.flight
    assert flight.final_time == pytest.approx(best.final_time)
    assert flight.final_mass == pytest.approx(best.final_mass, abs=1.0)
    assert flight.elements["semi_major_axis_m"] == pytest.approx(24361140.0, abs=1000.0)
    assert flight.elements["inclination_deg"] == pytest.approx(28.5, abs=0.01)
    steering = best.steering
    assert np.allclose(np.hypot(np.hypot(steering.direction_x, steering.direction_y), steering.direction_z), 1.0)
    assert steering.mass_kg.iloc[-1] == pytest.approx(best.final_mass)


def test_the_results_are_the_command_lines(best):
    table = subprocess.run([str(TRIM_TOOL), "--vehicle", str(DELTA3), "optimize"], capture_output=True,
                           text=True, check=True).stdout
    shown = [line.split() for line in table.splitlines()[1:]]
    for (name, value, unit), words in zip(best.report, shown):
        if name.startswith("solver time"):
            continue  # the processor time of each solve
        assert " ".join(words).startswith(f"{name} {value}"), (name, words)
        assert " ".join(words).endswith(unit)
    assert len(best.report) == len(shown)
    csv = subprocess.run([str(TRIM_TOOL), "--vehicle", str(DELTA3), "optimize", "--csv"], capture_output=True,
                         text=True, check=True).stdout
    assert csv.splitlines()[0] == ",".join(best.steering.columns)


def test_a_classic_search_argument_or_a_lone_apsis_is_refused(delta):
    with pytest.raises(ValueError, match="from_"):
        ascent.optimize(vehicle=delta, from_=30.0)
    with pytest.raises(ValueError, match="thrust"):
        ascent.optimize(DATA_DIR / "s1.dat", vehicle=delta)
    with pytest.raises(ValueError, match="together"):
        ascent.optimize(vehicle=delta, perigee=200e3)


def test_an_unreachable_orbit_names_what_it_misses(tmp_path):
    deck = tmp_path / "weak.toml"
    deck.write_text(DELTA3.read_text().replace("propellant = 16820.0", "propellant = 4000.0"))
    found = ascent.optimize(vehicle=ascent.StagedVehicle.read(deck))
    assert not found.feasible
    assert "semi-major axis is missed" in found.unmet
    with pytest.raises(ValueError, match="semi-major axis"):
        found.final_mass


def test_ctrl_c_ends_the_solve(delta, seconds_to_interrupt):
    # Both limits far below the free peaks: a solve of tens of seconds.
    seconds_to_interrupt(lambda: ascent.optimize(vehicle=delta, max_dynamic_pressure=30000, max_q_alpha=5000),
                         delay=0.5)
