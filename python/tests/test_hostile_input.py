"""The package used as a careless or hostile user would: bounds and limits
that are no numbers, a study in which no case separates, an upper stage that
cannot accelerate, vehicles copied and sent to workers, targets nothing was
flown to, Ctrl-C in a search, reports that meet a full disk or odd paths.
Each gets a clear exception, an honest outcome or a whole file, as
ascent-trim gives them."""
import copy
import math
import os
import pickle
import resource
import signal
import subprocess
import sys
import textwrap

import pandas as pd
import pytest

import ascent

NOT_NUMBERS = [float("nan"), float("inf"), float("-inf")]


@pytest.mark.parametrize("bounds", [dict(from_=math.nan), dict(to=math.nan), dict(from_=math.inf),
                                    dict(to=math.inf), dict(to=1e300), dict(from_=0.5),
                                    dict(from_=50, to=50), dict(from_=60, to=50)])
def test_optimize_refuses_turn_times_it_cannot_search(sample_path, bounds):
    with pytest.raises(ValueError):
        ascent.optimize(sample_path, **{"from_": 20, "to": 40, **bounds})


@pytest.mark.parametrize("name", ["from_", "to", "tolerance", "max_q_alpha"])
@pytest.mark.parametrize("value", ["30", True])
def test_optimize_refuses_values_that_are_no_numbers(sample_path, name, value):
    with pytest.raises(TypeError, match=name):
        ascent.optimize(sample_path, **{"from_": 20, "to": 40, name: value})


@pytest.mark.parametrize("name", ["max_dynamic_pressure", "max_q_alpha", "max_acceleration",
                                  "tolerance"])
@pytest.mark.parametrize("value", NOT_NUMBERS + [0.0, -5.0])
def test_optimize_refuses_a_limit_or_tolerance_that_is_none(sample_path, trim_tool, name, value):
    with pytest.raises(ValueError, match=name):
        ascent.optimize(sample_path, 20, 40, **{name: value})
    if name != "tolerance":
        option = "--" + name.replace("_", "-")
        trim_tool("optimize", option, repr(value), status=2)


def weak_set(tmp_path):
    """A dispersion set that leaves every case's upper stage a thousandth of its thrust."""
    path = tmp_path / "weak.toml"
    path.write_text("[upper_stage]\nthrust = { uniform_relative = [-0.9995, -0.999] }\n")
    return path


def test_a_study_in_which_no_case_separated_is_summarised_and_reported(sample_path, tmp_path,
                                                                      trim_tool):
    cases = ascent.monte_carlo(3, turn_time=20, thrust=sample_path,
                               dispersions=weak_set(tmp_path), closed_loop=False)
    assert set(cases["status"]) == {"cannot_reach_orbit"}
    tool = trim_tool("dispersions", "-n", "3", "-t", "20", "--open-loop", "--set",
                     str(weak_set(tmp_path)), status=1)
    assert "In orbit: 0 of 3" in tool
    for frame in (cases, cases.iloc[:1], cases.iloc[:0]):
        summary = ascent.summarize(frame)
        assert summary["cases"] == len(frame) and summary["in_orbit"] == 0
        assert summary["sc_mass"]["count"] == 0 and math.isnan(summary["sc_mass"]["mean"])
        assert math.isnan(summary["sc_mass_met"])
        assert set(summary["sc_mass_rank_correlation"]) == {"upper_stage.thrust"}
        assert math.isnan(summary["sc_mass_rank_correlation"]["upper_stage.thrust"])
        page = tmp_path / "study.html"
        ascent.report(frame, page)
        assert page.read_text(encoding="utf-8").endswith("</html>\n")


WEAK_STAGE_SCRIPT = """
import ascent
vehicle = ascent.Vehicle()
vehicle["upper_stage.thrust"] = 1.0
thrust = ascent.ThrustHistory.read({path!r})
print(ascent.trim(20, thrust, vehicle).status)
print(ascent.target(20, thrust=thrust, vehicle=vehicle).status)
print(ascent.optimize(thrust, 20, 40, vehicle=vehicle).feasible)
try:
    ascent.sensitivities(20, thrust, vehicle)
except ascent.FlightError as error:
    print("FlightError")
"""


def test_an_upper_stage_that_cannot_accelerate_ends_every_search(sample_path):
    # In a process of its own: a search that runs for ever is killed, not waited for.
    done = subprocess.run([sys.executable, "-c", WEAK_STAGE_SCRIPT.format(path=str(sample_path))],
                          capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, done.stderr
    assert done.stdout.split() == ["out_of_reach", "out_of_reach", "False", "FlightError"]


def elliptic_guided_vehicle():
    vehicle = ascent.Vehicle()
    vehicle["upper_stage.guidance"] = "orbit_insertion"
    vehicle.target.perigee = 185e3
    vehicle.target.apogee = 400e3
    vehicle.target.altitude = (185e3 + 400e3) / 2
    vehicle.limits.max_q_alpha = 12000
    return vehicle


def test_every_key_of_a_deck_is_set_copied_and_pickled():
    vehicle = elliptic_guided_vehicle()
    assert vehicle.upper_stage.guidance == "orbit_insertion"
    assert (vehicle["target.perigee"], vehicle["target.apogee"]) == (185e3, 400e3)
    assert ascent.Vehicle()["target.perigee"] is None
    deck = ascent.Vehicle.loads(vehicle.deck())
    for other in (pickle.loads(pickle.dumps(vehicle)), copy.copy(vehicle), copy.deepcopy(vehicle),
                  ascent.Vehicle.from_dict(vehicle.to_dict()), deck):
        assert other == vehicle
        assert other.deck() == vehicle.deck()
    vehicle.target.perigee = None
    with pytest.raises(ValueError, match="apogee"):
        vehicle.check()
    with pytest.raises(ValueError, match="orbit_insertion"):
        vehicle["upper_stage.guidance"] = "upfg"
    with pytest.raises(TypeError):
        vehicle["upper_stage.guidance"] = 1
    with pytest.raises(ValueError, match="at least 100000"):
        vehicle["target.apogee"] = 5.0
    with pytest.raises(TypeError):
        vehicle.target.apogee = True


def test_a_guided_vehicle_flies_alike_on_a_worker(sample_path):
    vehicle = elliptic_guided_vehicle()
    # What a Dask worker gets: the vehicle pickled.
    here = ascent.fly(20, 18, sample_path, vehicle, history=False)
    there = ascent.fly(20, 18, sample_path, pickle.loads(pickle.dumps(vehicle)), history=False)
    assert (there.perigee, there.apogee, there.sc_mass) == (here.perigee, here.apogee, here.sc_mass)
    assert here.perigee == pytest.approx(185e3, abs=10e3)
    assert here.apogee == pytest.approx(400e3, abs=10e3)
    # A guided study (to the circular target: its nominal angle is trimmed) the same way.
    vehicle.target.perigee = vehicle.target.apogee = None
    vehicle.target.altitude = 200e3
    study = ascent._ascent.prepare_study(vehicle, ascent.ThrustHistory.read(sample_path), 20.0,
                                         ascent.Dispersions.default(), False, 10.0, True)
    worker = pickle.loads(pickle.dumps(study))
    assert worker.nominal_sc_mass == study.nominal_sc_mass
    pd.testing.assert_frame_equal(pd.DataFrame(study.fly_cases(3, [0, 1, 2], 1)),
                                  pd.DataFrame(worker.fly_cases(3, [0, 1, 2], 1)))


@pytest.mark.parametrize("turn_time", [200, 130])
def test_a_target_nothing_was_flown_to_has_no_orbit(sample_path, trim_tool, turn_time):
    result = ascent.target(turn_time, thrust=sample_path)
    assert result.status == "turn_too_long"
    assert result.perigee is None and result.apogee is None and result.sc_mass is None
    assert result.remaining_propellant is None and result.flight is None
    assert "orbit=" not in repr(result)
    tool = trim_tool.csv("target", "-t", str(turn_time), status=1)
    assert tool["perigee_m"].isna().all() and tool["sc_mass_kg"].isna().all()


@pytest.mark.parametrize("function", ["target", "sensitivities"])
@pytest.mark.parametrize("turn_time, error", [(0.5, ValueError), (math.nan, ValueError),
                                              (math.inf, ValueError), (True, TypeError),
                                              ("20", TypeError)])
def test_target_and_sensitivities_refuse_a_turn_time_that_is_none(sample_path, trim_tool, function,
                                                                 turn_time, error):
    with pytest.raises(error):
        getattr(ascent, function)(turn_time=turn_time, thrust=sample_path)
    if not isinstance(turn_time, (bool, str)):
        trim_tool(function, "-t", repr(turn_time), status=2)


@pytest.mark.parametrize("keywords, error", [(dict(tolerance=math.nan), ValueError),
                                             (dict(tolerance=-1.0), ValueError),
                                             (dict(tolerance=0.0), ValueError),
                                             (dict(maxa=math.nan), ValueError),
                                             (dict(maxa="18"), TypeError),
                                             (dict(perigee=math.nan, apogee=3e5), ValueError)])
def test_target_refuses_values_that_are_none(sample_path, keywords, error):
    with pytest.raises(error):
        ascent.target(20, thrust=sample_path, **keywords)


def sweep_rows(sample_path):
    return ascent.sweep([20, 21], thrust=sample_path)


@pytest.mark.parametrize("path", [None, 5, ["r.html"], b"r.html"])
def test_a_report_path_that_is_none_is_refused(sample_path, tmp_path, path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    with pytest.raises(TypeError):
        ascent.report(sweep_rows(sample_path), path)
    with pytest.raises(ValueError):
        ascent.report(sweep_rows(sample_path), "")
    assert list(tmp_path.iterdir()) == []


FULL_DISK_SCRIPT = """
import ascent, pathlib
rows = ascent.sweep([20, 21], thrust={thrust!r})
try:
    ascent.report(rows, {page!r})
except OSError as error:
    print("OSError", error)
"""


def test_a_report_that_meets_a_full_disk_leaves_the_previous_one_whole(sample_path, tmp_path):
    page = tmp_path / "review.html"
    page.write_text("<p>the last review's page</p>\n")

    def limited():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (3000, 3000))

    done = subprocess.run([sys.executable, "-c", FULL_DISK_SCRIPT.format(thrust=str(sample_path),
                                                                          page=str(page))],
                          capture_output=True, text=True, preexec_fn=limited, timeout=120)
    assert done.stdout.startswith("OSError"), done.stdout + done.stderr
    assert page.read_text() == "<p>the last review's page</p>\n"
    assert [p.name for p in tmp_path.iterdir()] == ["review.html"]


def test_a_report_of_names_in_another_encoding_stays_utf8(sample_path, tmp_path):
    deck = os.fsdecode(b"v\xe9hicule.toml")  # a Latin-1 name, as the system gives it
    page = tmp_path / "r.html"
    ascent.report(sweep_rows(sample_path), page,
                  facts={"vehicle deck": deck, "a & <b> \"c\"": "<i>x</i>"})
    html = page.read_bytes().decode("utf-8")  # fails on a byte that is no UTF-8
    assert "v\ufffdhicule.toml" in html
    assert "a &amp; &lt;b&gt; &quot;c&quot;" in html and "&lt;i&gt;x&lt;/i&gt;" in html
    assert "<b>" not in html and "<i>" not in html


# Searches of some hundreds of flights (a quarter to half a second on a quiet
# machine, longer on a busy one): the signal comes while they fly.
SEARCHES = {"optimize": lambda thrust: ascent.optimize(thrust, guided=True),
            "sensitivities": lambda thrust: ascent.sensitivities(80, thrust)}


@pytest.mark.parametrize("work", SEARCHES)
def test_ctrl_c_stops_a_search_within_a_second(sample_path, seconds_to_interrupt, work):
    assert seconds_to_interrupt(lambda: SEARCHES[work](sample_path), delay=0.05) < 1.0


TRACK = [(28.45, -80.6, 0.0), (28.5, -80.0, 5e4)]
STATES = dict(position=[(6.5e6, 0, 0), (6.5e6, 1, 0)], velocity=[(0, 7.8e3, 0), (0, 7.8e3, 0)],
              launch_epoch="2026-12-08T14:30:00Z")


@pytest.mark.parametrize("point", [(math.nan, 0, 0), (0, math.inf, 0), (0, 0, math.nan),
                                   (91.0, 0, 0), (-90.5, 0, 0)])
def test_a_map_refuses_points_no_tool_can_place(tmp_path, point):
    with pytest.raises(ValueError):
        ascent.write_kml(tmp_path / "t.kml", tracks={"ascent": TRACK + [point]})
    with pytest.raises(ValueError):
        ascent.write_kml(tmp_path / "t.kml", places=[("impact", *point)])
    assert list(tmp_path.iterdir()) == []


@pytest.mark.parametrize("t", [[1, 0], [1, 1], [0, math.nan], [0, math.inf], [0, 1e300]])
def test_an_ephemeris_refuses_times_out_of_order_or_out_of_the_calendar(tmp_path, t):
    with pytest.raises(ValueError):
        ascent.write_oem(tmp_path / "a.oem", t, **STATES)
    assert list(tmp_path.iterdir()) == []


def test_an_ephemeris_refuses_states_that_are_not_numbers(tmp_path):
    states = dict(STATES, position=[(6.5e6, 0, 0), (math.nan, 1, 0)])
    with pytest.raises(ValueError):
        ascent.write_oem(tmp_path / "a.oem", [0, 1], **states)


@pytest.mark.parametrize("path, error", [(None, TypeError), (5, TypeError), ("", ValueError)])
def test_exports_refuse_a_path_that_is_none(tmp_path, monkeypatch, path, error):
    monkeypatch.chdir(tmp_path)
    with pytest.raises(error):
        ascent.write_kml(path, tracks={"ascent": TRACK})
    with pytest.raises(error):
        ascent.write_oem(path, [0, 1], **STATES)
    assert list(tmp_path.iterdir()) == []


def test_exports_of_names_in_another_encoding_stay_utf8(tmp_path):
    name = os.fsdecode(b"ascent-\xe9t\xe9")  # Latin-1, as the system gives it
    ascent.write_kml(tmp_path / "t.kml", tracks={name: TRACK}, places=[(name, 28.0, -75.0)])
    ascent.write_oem(tmp_path / "a.oem", [0, 1], object_name=name, **STATES)
    for written in ("t.kml", "a.oem"):
        text = (tmp_path / written).read_bytes().decode("utf-8")
        assert "ascent-\ufffdt\ufffd" in text
