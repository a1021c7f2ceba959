"""Orbit targeting from Python: the orbit of ascent-trim target, the guided
flight behind it, targets refused, and the guided Monte Carlo study."""
import pytest

import ascent


def test_target_gives_the_trim_tools_orbit_and_its_flight(trim_tool, thrust):
    result = ascent.target(20, maxa=18, perigee=185e3, apogee=400e3, thrust=thrust)
    tool = trim_tool.csv("target", "-t", "20", "--maxa", "18", "--perigee", "185000",
                         "--apogee", "400000").iloc[0]
    assert result.status == tool.status
    assert round(result.perigee / 1000, 6) == pytest.approx(tool.perigee_km, abs=1e-9)
    assert round(result.apogee / 1000, 6) == pytest.approx(tool.apogee_km, abs=1e-9)
    assert result.flight.perigee == result.perigee
    assert result.flight.apogee == result.apogee


def test_a_target_that_cannot_be_flown_is_a_value_error(thrust):
    with pytest.raises(ValueError):
        ascent.target(20, perigee=300e3, apogee=200e3, thrust=thrust)
    with pytest.raises(ValueError):
        ascent.target(20, perigee=200e3, thrust=thrust)


def test_guided_cases_fly_the_nominal_angle_to_the_target(thrust):
    cases = ascent.monte_carlo(12, seed=5, turn_time=20, thrust=thrust, guided=True)
    assert cases.attrs["guided"]
    assert (cases.flights == 1).all()
    orbit = cases[cases.status == "in_orbit"]
    assert len(orbit) >= 10
    assert ((orbit.perigee - 200e3).abs() <= 2000).all()
    assert ((orbit.apogee - 200e3).abs() <= 2000).all()
