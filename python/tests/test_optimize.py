"""Loads, the payload optimiser and the exchange ratios through the package,
against ascent-trim's."""
import math

import numpy as np
import pytest

import ascent


def test_a_flight_and_a_sweep_carry_their_loads(sample_path, trim_tool):
    flight = ascent.fly(80, 22, thrust=sample_path)
    # Through the hold the thrust stays the kick's 0.5 deg above the air path.
    assert flight.max_q_alpha == pytest.approx(0.5 * flight.max_dynamic_pressure, rel=1e-6)
    assert flight.max_q_alpha_time == flight.max_dynamic_pressure_time
    history = flight.history
    assert history["q_alpha_pa_deg"].max() == flight.max_q_alpha
    assert abs(flight.sc_mass - flight.sc_mass_unrounded) <= 2.5

    rows = ascent.sweep([20, 30], thrust=sample_path)
    tool = trim_tool.csv("sweep", "--from", "20", "--to", "30", "--step", "10")
    assert list(rows["max_q_alpha_pa_deg"].round(1)) == list(tool["max_q_alpha_pa_deg"])
    assert list(rows["status"]) == ["in_orbit", "in_orbit"]


def test_optimize_is_ascent_trims_and_never_offers_an_infeasible_plan(sample_path, trim_tool):
    optimum = ascent.optimize(sample_path, 20, 40, max_q_alpha=11000)
    tool = trim_tool.csv("optimize", "--from", "20", "--to", "40", "--max-q-alpha", "11000")
    assert optimum.turn_time == tool["turn_time_s"][0]
    assert optimum.sc_mass == tool["sc_mass_kg"][0]
    assert optimum.active == ["q*alpha limit"] == [tool["active"][0]]
    assert optimum.flights == tool["total_flights"][0]
    assert optimum.loads["max_q_alpha"] <= 11000
    assert optimum.flight.max_q_alpha == optimum.loads["max_q_alpha"]

    none = ascent.optimize(sample_path, max_dynamic_pressure=10000)
    assert not none.feasible and none.trims >= 5
    with pytest.raises(ValueError, match="no plan is feasible"):
        none.turn_time

    # Guided, the angle is the plan's own and its flight, flown again, is the guided one.
    guided = ascent.optimize(sample_path, 20, 40, max_q_alpha=12000, guided=True)
    assert guided.feasible and guided.loads["max_q_alpha"] <= 12000
    assert guided.flight.sc_mass_unrounded == guided.sc_mass_unrounded


def test_guided_optimize_to_an_elliptic_orbit_is_ascent_trims(sample_path, trim_tool):
    optimum = ascent.optimize(sample_path, 20, 40, max_q_alpha=12000, perigee=180000,
                              apogee=240000)
    tool = trim_tool.csv("optimize", "--from", "20", "--to", "40", "--max-q-alpha", "12000",
                         "--perigee", "180000", "--apogee", "240000")
    assert optimum.feasible
    assert (optimum.turn_time, optimum.maxa, optimum.sc_mass) == (
        tool["turn_time_s"][0], tool["maxa_deg"][0], tool["sc_mass_kg"][0])
    assert optimum.flights == tool["total_flights"][0]
    # The plan's flight reaches the orbit asked for, not the deck's circular one.
    assert optimum.flight.perigee == pytest.approx(180000, abs=100)
    assert optimum.flight.apogee == pytest.approx(240000, abs=100)
    # --guided alone aims at the deck's target, as guided=True does.
    circular = trim_tool.csv("optimize", "--from", "20", "--to", "40", "--max-q-alpha", "12000",
                             "--guided")
    alike = ascent.optimize(sample_path, 20, 40, max_q_alpha=12000, guided=True)
    assert (alike.turn_time, alike.sc_mass) == (circular["turn_time_s"][0],
                                                circular["sc_mass_kg"][0])


def test_sensitivities_are_ascent_trims(sample_path, trim_tool):
    ratios = ascent.sensitivities(80, thrust=sample_path)
    tool = trim_tool.csv("sensitivities", "-t", "80")
    assert list(ratios.columns) == list(tool.columns) == ascent.COLUMNS["sensitivity"]
    assert list(ratios["field"]) == list(tool["field"])
    # The tool writes six significant digits.
    np.testing.assert_allclose(ratios["per_percent_kg"], tool["per_percent_kg"], rtol=1e-5)
    assert list(ratios["note"].fillna("")) == list(tool["note"].fillna(""))
    # Ranked by what 1 % more gives, not by kg per unit of mixed units.
    effects = ratios["per_percent_kg"].abs().to_list()
    assert effects == sorted(effects, reverse=True)
    by_field = ratios.set_index("field")
    assert abs(by_field.loc["mass_budget.interstage_per_newton", "ratio_kg_per_unit"]) > abs(
        ratios["ratio_kg_per_unit"].iloc[0])
    ullage = by_field.loc["upper_stage.ullage_and_rcs_propellant"]
    assert math.isclose(ullage["ratio_kg_per_unit"], -1.0, rel_tol=1e-6)
    assert ullage["per_percent_kg"] == pytest.approx(-0.71, rel=1e-6)
    # The booster's fields that read against expectation say why.
    for field in ("boosters.propellant", "boosters.exhaust_velocity"):
        assert by_field.loc[field, "per_percent_kg"] < 0
        assert "thrust file fixes the booster's burn" in by_field.loc[field, "note"]
    assert by_field.loc["core.thrust", "note"] == ""
