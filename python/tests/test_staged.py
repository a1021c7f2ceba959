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
