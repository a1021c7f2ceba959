"""Staged vehicles from Python: the Delta III deck flies the benchmark's phase
masses, the plan's steering and final time are flown, and a deck that cannot
be flown is a ValueError with its place."""
import numpy as np
import pytest

import ascent

from conftest import DATA_DIR


@pytest.fixture(scope="module")
def delta():
    return ascent.StagedVehicle.read(DATA_DIR / "vehicles" / "delta3.toml")


def test_the_benchmark_stages_drop_their_published_masses(delta):
    flight = ascent.fly_staged(delta)
    events = flight.events.set_index("event")
    assert delta.liftoff_mass == 301454.0
    assert events.loc["solids_ground.jettison", "mass_kg"] == pytest.approx(158183.9, abs=0.05)
    assert events.loc["solids_air.burnout", "mass_kg"] == pytest.approx(79623.8, abs=0.05)
    assert events.loc["stage2.ignition", "mass_kg"] == pytest.approx(23464.0, abs=0.05)
    history = flight.history
    assert list(history.columns) == ascent.COLUMNS["staged_history"]
    # Due east from 28.5 deg, the plane keeps the latitude's inclination.
    assert np.allclose(history.inclination_deg, 28.5, atol=1e-3)


def test_the_plans_steering_and_end_are_flown(delta):
    # Straight up from the pad at 28.5 deg north on the inertial x axis.
    lat = np.radians(28.5)
    up = np.array([[0.0, np.cos(lat), 0.0, np.sin(lat)], [1000.0, np.cos(lat), 0.0, np.sin(lat)]])
    flight = ascent.fly_staged(delta, steering=up, final_time=30.0, history=False)
    assert flight.final_time == 30.0
    assert flight.history.empty
    assert flight.outcome != "in_orbit"
    heavier = ascent.fly_staged(delta, final_time=30.0, payload=5164.0, history=False)
    assert heavier.final_mass - ascent.fly_staged(delta, final_time=30.0).final_mass == pytest.approx(1000.0)


def test_a_deck_that_cannot_be_flown_is_a_value_error(tmp_path):
    deck = (DATA_DIR / "vehicles" / "delta3.toml").read_text().replace("dry_mass = 8830.0", "dry_mass = -1.0")
    path = tmp_path / "bad.toml"
    path.write_text(deck)
    line = deck[: deck.index("dry_mass = -1.0")].count("\n") + 1
    with pytest.raises(ValueError, match=f"bad.toml:{line}:"):
        ascent.StagedVehicle.read(path)
    with pytest.raises(ValueError, match="shape"):
        ascent.fly_staged(ascent.StagedVehicle.read(DATA_DIR / "vehicles" / "delta3.toml"),
                          steering=np.zeros(3))


def test_capability_is_the_largest_payload_in_orbit_with_the_reserve():
    builtin = ascent.StagedVehicle.read(DATA_DIR / "vehicles" / "builtin.toml")
    found = ascent.capability(builtin, reserve=500.0)
    assert found["feasible"]
    assert found["flight"].outcome == "in_orbit"
    assert 0.0 <= found["margin_kg"] and found["flight"].remaining_propellant >= 500.0
    # A payload a resolution heavier no longer reaches orbit with the reserve.
    heavier = ascent.fly_staged(builtin, payload=found["payload_kg"] + 1.0, history=False)
    assert heavier.outcome != "in_orbit" or heavier.remaining_propellant < 500.0
    with pytest.raises(ValueError, match="reserve"):
        ascent.capability(builtin, reserve=float("nan"))


def test_the_small_launcher_relights_and_its_history_stands_over_wgs84():
    small = ascent.StagedVehicle.read(DATA_DIR / "vehicles" / "small_sso.toml")
    flight = ascent.fly_staged(small)
    assert flight.outcome == "in_orbit"
    events = flight.events.set_index("event")
    # Events name their element, the relight's too.
    assert events.loc["second.ignition2", "element"] == "second"
    assert events.loc["ullage.ignition", "t_s"] + 5.0 == pytest.approx(events.loc["second.ignition2", "t_s"])
    history = flight.history
    assert history.attrs["units"]["geodetic_altitude_m"] == "m"
    assert history.attrs["units"]["flight_path_angle_deg"] == "deg"
    # At 34.7 deg the geodetic latitude lies 0.19 deg north of the geocentric
    # one (tan phi = tan psi / (1 - f)^2 on the ellipsoid), and the altitude
    # over the ellipsoid is the radius above the ellipse's at that geocentric
    # latitude, r_e = a b / sqrt((b cos psi)^2 + (a sin psi)^2), to 1 m.
    first = history.iloc[0]
    a, f = 6378137.0, 1 / 298.257223563
    b = a * (1 - f)
    psi = np.radians(first.latitude_deg)
    assert first.geodetic_latitude_deg == pytest.approx(np.degrees(np.arctan(np.tan(psi) / (1 - f) ** 2)), abs=2e-3)
    r_e = a * b / np.hypot(b * np.cos(psi), a * np.sin(psi))
    assert first.geodetic_altitude_m == pytest.approx(a + 100.0 - r_e, abs=1.0)
    last = history.iloc[-1]
    assert last.inclination_deg == pytest.approx(97.4, abs=0.05)
