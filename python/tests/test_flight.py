"""Flights and trims through the package against the C++ trim tool."""
import subprocess
import sys

import numpy as np
import pandas as pd
import pytest

import ascent
from conftest import DATA_DIR


@pytest.mark.parametrize("turn_time, options, arguments, status", [
    (20, {}, [], 0),
    (20, {"vehicle": DATA_DIR / "vehicles/heavy_upper_stage.toml"},
     ["--vehicle", str(DATA_DIR / "vehicles/heavy_upper_stage.toml")], 0),
    # Trimmed, but 300 km is more than the upper stage's propellant can reach.
    (10, {"target_altitude": 300000}, ["--target-altitude", "300000"], 1),
])
def test_trim_matches_the_trim_tool(trim_tool, sample_path, turn_time, options, arguments,
                                    status):
    expected = trim_tool.csv("trim", "-t", str(turn_time), *arguments, status=status).iloc[0]
    result = ascent.trim(turn_time, thrust=sample_path, **options)
    assert result.trimmed
    assert (result.status, result.message) == (expected["status"], expected["message"])
    assert result.feasible == (status == 0)
    assert result.maxa == expected["maxa_deg"]
    assert len(result.flights) == expected["flights"]
    flight = result.flight
    assert (flight.outcome, flight.in_orbit) == (expected["status"], status == 0)
    assert flight.maxa == pytest.approx(result.maxa, abs=1e-12)
    # The tool prints metres to the millimetre and kilograms to 0.1 kg.
    assert flight.perigee == pytest.approx(expected["perigee_m"], abs=5e-4)
    assert flight.apogee == pytest.approx(expected["apogee_m"], abs=5e-4)
    assert flight.average_altitude == pytest.approx(expected["average_altitude_m"], abs=5e-4)
    assert flight.remaining_propellant == pytest.approx(expected["remaining_propellant_kg"],
                                                        abs=0.05)
    assert flight.sc_mass == expected["sc_mass_kg"]
    # The last flight of the search is the trimmed one.
    last = result.flights.iloc[-1]
    assert (last["maxa_deg"], last["perigee_m"], last["sc_mass_kg"]) == (result.maxa, flight.perigee,
                                                                 flight.sc_mass)


def test_history_is_the_trim_tools_history(trim_tool, sample_path, tmp_path):
    path = tmp_path / "history.csv"
    trim_tool("history", "-t", "20", "-o", str(path))
    expected = pd.read_csv(path, float_precision="round_trip")
    flight = ascent.trim(20, thrust=sample_path).flight
    history = flight.history
    assert len(history) == flight.steps
    assert list(history.columns) == list(expected.columns)
    pd.testing.assert_frame_equal(history, expected, check_exact=True)


def test_events_in_order_with_their_states(thrust):
    flight = ascent.fly(20, 18, thrust=thrust)
    events = flight.events
    assert list(events["event"][:3]) == ["liftoff", "pitch-over", "end of turn"]
    assert "maximum dynamic pressure" in set(events["event"])
    assert events["event"].iloc[-1] == "upper-stage separation"
    assert np.all(np.diff(events["t_s"]) >= 0)
    booster = events.set_index("event").loc["booster separation"]
    assert booster["t_s"] == ascent.Vehicle().boosters.separation_time
    # On the pad the inertial speed is the Earth's rotation at the pad's latitude.
    latitude = np.radians(ascent.Vehicle().launch_site.latitude)
    earth_rate = 2 * np.pi / 86164.0905
    assert events["vi_m_s"].iloc[0] == pytest.approx(earth_rate * 6378137 * np.cos(latitude),
                                                     rel=1e-3)
    assert events.attrs["units"]["vi_m_s"] == "m/s"
    # The history's last row is the state at separation.
    assert flight.history["t_s"].iloc[-1] == events["t_s"].iloc[-1]
    # Without the search steps and steps back, time only grows.
    kept = flight.history[~flight.history["search_step"]]
    assert np.all(np.diff(kept["t_s"]) > 0)
    assert 0 < flight.history["search_step"].sum() < 20


def test_events_are_those_of_the_trim_tool(trim_tool, sample_path):
    tool = trim_tool.csv("events", "-t", "20")
    trimmed = ascent.trim(20, thrust=sample_path)
    events = trimmed.flight.events
    assert list(events.columns) == list(tool.columns) == ascent.COLUMNS["event"]
    assert list(events["event"]) == list(tool["event"])
    # The tool prints each column to a fixed number of decimals.
    for column, digits in (("t_s", 3), ("h0_m", 1), ("vi_m_s", 2), ("beta_deg", 4),
                           ("theta_deg", 4), ("pq_pa", 1), ("mass_kg", 1)):
        np.testing.assert_allclose(events[column], tool[column], rtol=0,
                                   atol=0.51 * 10.0 ** -digits, err_msg=column)
    # Flown without its history, the flight has the same events.
    bare = ascent.fly(20, trimmed.maxa, thrust=sample_path, history=False)
    pd.testing.assert_frame_equal(bare.events, events)


def test_flight_ended_early_says_why(thrust):
    flight = ascent.fly(150, 18, thrust=thrust)
    assert (flight.end, flight.in_orbit, flight.maxa_flown) == ("turn_too_long", False, False)
    assert flight.reason.startswith("Turn time too long")
    assert len(flight.history) == flight.steps


def test_without_history_the_same_flight(thrust):
    with_steps = ascent.fly(20, 18, thrust=thrust)
    bare = ascent.fly(20, 18, thrust=thrust, history=False)
    assert (bare.perigee, bare.apogee, bare.sc_mass, bare.steps) == (
        with_steps.perigee, with_steps.apogee, with_steps.sc_mass, with_steps.steps)
    with pytest.raises(ValueError, match="without its history"):
        bare.history


def test_vehicle_changes_reach_the_flight(thrust):
    heavy = ascent.Vehicle()
    heavy.upper_stage.dry_mass += 1000
    assert heavy["upper_stage.dry_mass"] == ascent.Vehicle().upper_stage.dry_mass + 1000
    standard = ascent.fly(20, 18, thrust=thrust, history=False)
    loaded = ascent.fly(20, 18, thrust=thrust, vehicle=heavy, history=False)
    assert loaded.sc_mass < standard.sc_mass


def test_columns_have_the_trim_tools_names_and_their_units(trim_tool, sample_path):
    rows = ascent.sweep([20], thrust=sample_path)
    tool = trim_tool.csv("sweep", "--from", "20", "--to", "20")
    assert list(rows.columns) == list(tool.columns) == ascent.COLUMNS["trim"]
    assert rows.attrs["units"]["perigee_m"] == "m"
    assert rows.attrs["units"]["turn_time_s"] == "s"
    history = ascent.fly(20, 18, thrust=sample_path).history
    assert set(history.attrs["units"]) == set(history.columns)
    assert history.attrs["units"]["a_m_s2"] == "m/s^2"
    cases = ascent.monte_carlo(2, turn_time=20, thrust=sample_path, closed_loop=False)
    assert cases.attrs["units"]["sc_mass_kg"] == "kg"
    assert cases.attrs["units"]["boosters.propellant"] == "kg"


def test_import_loads_no_data_frame_plot_or_cluster_library():
    # pandas, matplotlib and Dask take most of a second to import: only their use loads them.
    script = ("import sys, ascent\n"
              "print(sorted(m for m in ('pandas', 'matplotlib', 'dask', 'distributed')"
              " if m in sys.modules))\n"
              "ascent.fly(20, 18, thrust=ascent.ThrustHistory.read(sys.argv[1]), history=False)\n"
              "print('pandas' in sys.modules)\n")
    run = subprocess.run([sys.executable, "-c", script, str(DATA_DIR / "s1.dat")],
                         capture_output=True, text=True, check=True)
    assert run.stdout.splitlines() == ["[]", "False"]
