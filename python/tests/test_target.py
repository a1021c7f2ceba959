"""Orbit targeting from Python: the orbit of ascent-trim target, the guided
flight behind it, targets refused, and the guided Monte Carlo study."""
import pytest

import ascent


def test_target_gives_the_trim_tools_orbit_and_its_flight(trim_tool, thrust):
    result = ascent.target(20, maxa=18, perigee=185e3, apogee=400e3, thrust=thrust)
    # In the orbit asked for, with more propellant than the stage holds: status 1.
    tool = trim_tool.csv("target", "-t", "20", "--maxa", "18", "--perigee", "185000",
                         "--apogee", "400000", status=1).iloc[0]
    assert result.status == tool.status == "short_of_propellant"
    assert round(result.perigee, 3) == pytest.approx(tool.perigee_m, abs=1e-9)
    assert round(result.apogee, 3) == pytest.approx(tool.apogee_m, abs=1e-9)
    assert result.flight.perigee == result.perigee
    assert result.flight.apogee == result.apogee
    # What it holds is listed, as for any object: every name dir() gives reads.
    names = dir(result)
    for name in ("status", "perigee", "apogee", "target_perigee", "maxa", "flight"):
        assert name in names
    for name in (n for n in names if not n.startswith("_")):
        getattr(result, name)


def test_a_target_that_cannot_be_flown_is_a_value_error(thrust):
    with pytest.raises(ValueError):
        ascent.target(20, perigee=300e3, apogee=200e3, thrust=thrust)
    with pytest.raises(ValueError):
        ascent.target(20, perigee=200e3, thrust=thrust)


def test_guided_cases_fly_the_nominal_angle_to_the_target(thrust):
    cases = ascent.monte_carlo(12, seed=5, turn_time=20, thrust=thrust, guided=True)
    assert cases.attrs["guided"]
    assert (cases.flights == 1).all()
    # Guided to the target, most cases burn more than the stage holds: the
    # orbit is the target's all the same.
    orbit = cases[cases.perigee_m.notna()]
    assert len(orbit) >= 10
    assert ((orbit.perigee_m - 200e3).abs() <= 2000).all()
    assert ((orbit.apogee_m - 200e3).abs() <= 2000).all()
