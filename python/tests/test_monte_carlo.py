"""Dispersion studies through the package against ascent-trim's, and their summary."""
import numpy as np
import pandas as pd
import pytest

import ascent

# The numbers of the trim tool's case file that a case without a flight leaves empty.
FLIGHT_COLUMNS = ["maxa_deg", "perigee_m", "apogee_m", "average_altitude_m",
                  "remaining_propellant_kg", "sc_mass_kg", "max_pq_pa", "max_q_alpha_pa_deg",
                  "max_a_m_s2"]


@pytest.fixture(scope="module")
def study(sample_path):
    return ascent.monte_carlo(24, turn_time=20, thrust=sample_path, seed=7)


def test_cases_are_the_trim_tools_cases(study, trim_tool, tmp_path):
    path = tmp_path / "cases.csv"
    trim_tool("dispersions", "-t", "20", "-n", "24", "--seed", "7", "-o", str(path))
    tool = pd.read_csv(path, float_precision="round_trip", keep_default_na=False,
                       na_values={c: [""] for c in FLIGHT_COLUMNS})
    assert list(study.columns) == list(tool.columns)
    pd.testing.assert_frame_equal(study, tool, check_exact=True, check_dtype=False)
    nominal = trim_tool.csv("trim", "-t", "20").iloc[0]
    assert study.attrs["nominal_maxa"] == nominal["maxa_deg"]


def test_summary_recomputed_from_the_rows(study):
    summary = ascent.summarize(study)
    in_orbit = study["status"] == "in_orbit"
    assert summary["cases"] == len(study)
    assert summary["in_orbit"] == in_orbit.sum()
    assert summary["by_status"] == {s: int((study["status"] == s).sum())
                                    for s in summary["by_status"]}
    assert sum(summary["by_status"].values()) == len(study)
    assert summary["orbit_probability"] == in_orbit.mean()
    # Over the cases flown to separation, a stage given up (one that skimmed
    # the atmosphere) left out.
    flown = study.dropna(subset=["perigee_m"]).query("status != 'cannot_reach_orbit'")
    for name, column in zip(("maxa", "perigee", "apogee", "average_altitude",
                             "remaining_propellant", "sc_mass", "max_dynamic_pressure",
                             "max_q_alpha", "max_acceleration"), FLIGHT_COLUMNS):
        values = flown[column].to_numpy()
        s = summary[name]
        assert s["count"] == len(values)
        assert s["mean"] == pytest.approx(values.mean(), rel=1e-13)
        assert s["standard_deviation"] == pytest.approx(values.std(ddof=1), rel=1e-12)
        low, median, high = np.quantile(values, [0.00135, 0.5, 0.99865])
        assert (s["low"], s["median"], s["high"]) == pytest.approx((low, median, high), rel=1e-13)
    # What is met with 99.865 %: a case not in orbit counts as a failure;
    # where failures are too many to cover, NaN and the reason.
    for name in ("remaining_propellant", "sc_mass"):
        np.testing.assert_equal(summary[name + "_met"], met_quantile(study, name + "_kg"))
    np.testing.assert_equal(summary["flight_performance_reserve"],
                            study.attrs["nominal_remaining_propellant"]
                            - summary["remaining_propellant_met"])
    # The rubber tank: over the cases that reach the orbit, a deficit counted.
    reaching = flown[flown.status.isin(["in_orbit", "short_of_propellant", "over_load_limit"])]
    left = reaching["remaining_propellant_kg"].to_numpy()
    tank = summary["rubber_tank"]
    assert tank["count"] == len(left)
    assert tank["orbit_probability"] == len(left) / len(study)
    assert tank["reserve"] == pytest.approx(
        study.attrs["nominal_remaining_propellant"] - np.quantile(left, 0.00135), rel=1e-12)
    assert tank["reserve_3_sigma"] == pytest.approx(
        study.attrs["nominal_remaining_propellant"] - (left.mean() - 3 * left.std(ddof=1)),
        rel=1e-12)
    # The binomial chance that none of n cases falls below the 0.135 % quantile.
    assert tank["lowest_case_confidence"] == pytest.approx(1 - 0.99865 ** len(left), rel=1e-12)
    assert 1 - 0.99865 ** tank["cases_for_95_percent"] >= 0.95 > \
        1 - 0.99865 ** (tank["cases_for_95_percent"] - 1)
    covered = np.isfinite(summary["flight_performance_reserve"])
    assert summary["not_met_reason"] == ("" if covered else
                                         "the 0.135 % quantile falls on a failed case, so no reserve "
                                         "covers them")
    # Over the cases in orbit alone, a reserve covers them.
    orbiting = study[in_orbit].reset_index(drop=True)
    nominal = study.attrs["nominal_remaining_propellant"]
    reserve = ascent.summarize(orbiting, nominal)
    assert reserve["flight_performance_reserve"] == pytest.approx(
        nominal - met_quantile(orbiting, "remaining_propellant_kg"), rel=1e-13)
    # Without a nominal given, the study's attrs give it.
    orbiting.attrs["nominal_remaining_propellant"] = nominal + 100.0
    assert ascent.summarize(orbiting)["flight_performance_reserve"] == pytest.approx(
        reserve["flight_performance_reserve"] + 100.0, rel=1e-13)


def met_quantile(cases, name):
    """The 0.135 % quantile (type 7) with the cases not in orbit at -inf; NaN when it is one."""
    values = np.where(cases["status"] == "in_orbit", cases[name], -np.inf)
    below = int(np.floor(0.00135 * (len(values) - 1)))
    failed = np.isinf(values).sum()
    return np.nan if below < failed else np.quantile(values, 0.00135)


def test_open_loop_flies_the_nominal_angle(sample_path):
    cases = ascent.monte_carlo(6, turn_time=20, thrust=sample_path, seed=3, closed_loop=False,
                               chunks=4)
    assert (cases["maxa_deg"] == cases.attrs["nominal_maxa"]).all()
    assert (cases["flights"] == 1).all()
    assert list(cases["case"]) == list(range(6))


def test_dispersion_sets(tmp_path):
    path = tmp_path / "set.toml"
    path.write_text("[boosters]\npropellant = { sigma_relative = 0.01 }\n"
                    "[scales]\ndrag = { uniform = [-0.1, 0.1] }\n")
    chosen = ascent.Dispersions.read(path)
    assert chosen.names == ["boosters.propellant", "scales.drag"]
    assert chosen.units == {"boosters.propellant": "kg", "scales.drag": "1"}
    path.write_text("[boosters]\npropellant = { sigma = -1 }\n")
    with pytest.raises(ValueError, match=r"set.toml:2:.*negative"):
        ascent.Dispersions.read(path)
    with pytest.raises(FileNotFoundError):
        ascent.Dispersions.read(tmp_path / "missing.toml")


def test_ctrl_c_stops_a_study_or_a_sweep_within_a_second(sample_path, seconds_to_interrupt):
    # Each would fly for minutes on local threads.
    assert seconds_to_interrupt(
        lambda: ascent.monte_carlo(3000, turn_time=20, thrust=sample_path)) < 1.0
    assert seconds_to_interrupt(
        lambda: ascent.sweep(np.arange(10.0, 100.0, 0.01), thrust=sample_path)) < 1.0


def test_a_guided_study_flies_the_optimums_plan_as_the_trim_tool_does(sample_path, trim_tool,
                                                                      tmp_path):
    deck = tmp_path / "guided.toml"
    lines = ascent.Vehicle().deck().splitlines(keepends=True)
    at = next(i for i, line in enumerate(lines) if line.startswith("[upper_stage]"))
    deck.write_text("".join(lines[:at + 1] + ['guidance = "orbit_insertion"\n'] + lines[at + 1:]))
    vehicle = ascent.Vehicle.load(deck)
    plan = tmp_path / "plan.csv"
    plan.write_text(trim_tool("--vehicle", str(deck), "optimize", "--csv"))
    optimum = ascent.optimize(sample_path, vehicle=vehicle)
    cases = tmp_path / "cases.csv"
    trim_tool("--vehicle", str(deck), "dispersions", "--plan", str(plan), "-n", "12", "-o",
              str(cases))
    tool = pd.read_csv(cases, float_precision="round_trip", keep_default_na=False,
                       na_values={c: [""] for c in FLIGHT_COLUMNS})
    # The same plan from the file and from the Optimum, and the same cases.
    for given in (dict(plan=plan), dict(plan=optimum),
                  dict(turn_time=optimum.turn_time, maxa=optimum.maxa)):
        study = ascent.monte_carlo(12, thrust=sample_path, vehicle=vehicle, **given)
        assert study.attrs["guided"]
        assert (study.attrs["turn_time"], study.attrs["nominal_maxa"]) == (
            optimum.turn_time, optimum.maxa)
        assert study.attrs["nominal_remaining_propellant"] == pytest.approx(
            optimum.flight.remaining_propellant, abs=0.0)
        pd.testing.assert_frame_equal(study, tool, check_exact=True, check_dtype=False)
    with pytest.raises(TypeError):
        ascent.monte_carlo(12, thrust=sample_path, plan=plan, turn_time=20)
    with pytest.raises(ValueError, match="no angle to trim"):
        ascent.trim(20, thrust=sample_path, vehicle=vehicle)


def test_a_guided_plan_is_flown_guided_to_its_orbit_from_a_default_deck(sample_path, trim_tool,
                                                                         tmp_path):
    # The plan of a search guided to 185 x 400 km on the default law's
    # vehicle: its file and its Optimum say so, and a study flies it there.
    plan = tmp_path / "plan.csv"
    plan.write_text(trim_tool("optimize", "--perigee", "185000", "--apogee", "400000", "--csv"))
    optimum = ascent.optimize(sample_path, perigee=185e3, apogee=400e3)
    assert optimum.guided and optimum.target == (185e3, 400e3)
    cases = tmp_path / "cases.csv"
    summary = trim_tool("dispersions", "--plan", str(plan), "-n", "6", "-o", str(cases),
                        status=None)
    assert "guided" in summary.splitlines()[0]
    assert "Within 2 km of both target apsides (185.000 x 400.000 km)" in summary
    tool = pd.read_csv(cases, float_precision="round_trip", keep_default_na=False,
                       na_values={c: [""] for c in FLIGHT_COLUMNS})
    for given in (dict(plan=plan), dict(plan=optimum)):
        study = ascent.monte_carlo(6, thrust=sample_path, **given)
        assert study.attrs["guided"]
        assert (study.attrs["target_perigee"], study.attrs["target_apogee"]) == (185e3, 400e3)
        pd.testing.assert_frame_equal(study, tool, check_exact=True, check_dtype=False)
