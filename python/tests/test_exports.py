"""KML and CCSDS OEM files written by the package: a KML reader (Debian's
python3-fastkml) finds the track, the impact points and the ellipses given,
and the ephemeris reads back as the states given to the millimetre."""
import io
import math

import numpy as np
import pandas as pd
import pytest
from fastkml import kml

import ascent


def placemarks(path):
    document = kml.KML()
    document.from_string(path.read_bytes())
    (top,) = list(document.features())
    return top, {p.name: p for p in top.features()}


def test_kml_holds_the_track_points_impacts_and_ellipses(tmp_path):
    # A track climbing eastwards from the pad, an impact point and a ring around it.
    t = np.linspace(0.0, 500.0, 251)
    track = np.column_stack([28.45 + 1e-3 * t, -80.6 + 0.02 * t, 300.0 * t])
    angle = np.linspace(0.0, 2.0 * math.pi, 37)
    ring = np.column_stack([27.9 + 0.2 * np.sin(angle), -70.5 + 0.5 * np.cos(angle)])
    path = tmp_path / "flight.kml"
    ascent.write_kml(path, tracks={"ascent": track},
                     places=[("core stage", 27.9, -70.5, 0.0, "impact at 512 s")],
                     areas={"core stage 99 %": ring}, name="test flight")

    top, marks = placemarks(path)
    assert top.name == "test flight"
    assert set(marks) == {"ascent", "core stage", "core stage 99 %"}
    line = marks["ascent"]
    assert line.geometry.geom_type == "LineString"
    assert line._geometry.altitude_mode == "absolute"
    coords = np.array(line.geometry.coords)  # longitude, latitude, altitude
    np.testing.assert_allclose(coords[:, 0], track[:, 1], atol=1e-9)
    np.testing.assert_allclose(coords[:, 1], track[:, 0], atol=1e-9)
    np.testing.assert_allclose(coords[:, 2], track[:, 2], atol=1e-3)

    impact = marks["core stage"]
    assert impact.description == "impact at 512 s"
    assert impact.geometry.coords[0][:2] == pytest.approx((-70.5, 27.9), abs=1e-9)

    polygon = marks["core stage 99 %"].geometry
    assert polygon.geom_type == "Polygon"
    outline = np.array(polygon.exterior.coords)
    np.testing.assert_allclose(outline[:, :2], ring[:, ::-1], atol=1e-9)


def test_oem_reads_back_as_the_states_given(tmp_path):
    # A circular orbit: every state at the same radius and speed.
    r, n = 6678e3, math.sqrt(3.986004418e14 / 6678e3**3)
    t = np.array([0.0, 0.5, 10.25, 600.0, 3000.0])
    u = n * t
    position = r * np.column_stack([np.cos(u), np.sin(u), np.zeros_like(u)])
    velocity = r * n * np.column_stack([-np.sin(u), np.cos(u), np.zeros_like(u)])
    path = tmp_path / "flight.oem"
    ascent.write_oem(path, t, position, velocity, launch_epoch="2026-12-08T14:30:00Z",
                     object_name="upper stage")

    lines = path.read_text().splitlines()
    keywords = dict(line.split(" = ") for line in lines if " = " in line)
    keywords = {k.strip(): v for k, v in keywords.items()}
    assert keywords["CCSDS_OEM_VERS"] == "2.0"
    assert keywords["OBJECT_NAME"] == "upper stage"
    assert keywords["START_TIME"] == "2026-12-08T14:30:00.000000"
    assert keywords["STOP_TIME"] == "2026-12-08T15:20:00.000000"
    data = [line.split() for line in lines[lines.index("META_STOP") + 1:] if line.strip()]
    states = np.array([[float(x) for x in row[1:]] for row in data]) * 1e3
    assert [row[0] for row in data][2] == "2026-12-08T14:30:10.250000"
    np.testing.assert_allclose(states[:, :3], position, atol=1e-3)
    np.testing.assert_allclose(states[:, 3:], velocity, atol=1e-6)


def test_bad_epochs_and_unwritable_paths_raise_and_write_nothing(tmp_path):
    with pytest.raises(ValueError, match="UTC time"):
        ascent.write_oem(tmp_path / "a.oem", [0.0], [[7e6, 0, 0]], [[0, 7e3, 0]],
                         launch_epoch="yesterday")
    with pytest.raises(FileNotFoundError):
        ascent.write_kml(tmp_path / "missing" / "a.kml", tracks={"a": [(0, 0, 0)]})
    assert list(tmp_path.iterdir()) == []


def test_trim_tool_map_holds_the_history_track_and_the_impacts(trim_tool, tmp_path):
    history, kml_path = tmp_path / "h.csv", tmp_path / "h.kml"
    oem_path = tmp_path / "h.oem"
    trim_tool("history", "-t", "20", "-o", str(history), "--kml", str(kml_path), "--oem",
              str(oem_path), "--launch-epoch", "2026-12-08T14:30:00Z")
    steps = pd.read_csv(history)
    path = steps[steps.search_step == False]  # noqa: E712 (a column of words)
    _, marks = placemarks(kml_path)
    assert set(marks) == {"ascent", "boosters", "fairing", "core stage", "upper stage"}
    line = marks["ascent"]
    assert line._geometry.altitude_mode == "absolute"
    coords = np.array(line.geometry.coords)
    assert len(coords) == len(path)
    np.testing.assert_allclose(coords[:, 0], path.longitude_deg, atol=1e-8)
    np.testing.assert_allclose(coords[:, 1], path.latitude_deg, atol=1e-8)
    np.testing.assert_allclose(coords[:, 2], path.geodetic_altitude_m, atol=1e-3)
    impacts = trim_tool("impacts", "-t", "20", "--csv")
    table = pd.read_csv(io.StringIO(impacts))
    core = table[table.element == "core stage"].iloc[0]
    lon, lat = marks["core stage"].geometry.coords[0][:2]
    assert (lon, lat) == pytest.approx((core.longitude_deg, core.latitude_deg), abs=1e-6)
    assert "reaches orbit" in marks["upper stage"].description

    # The ephemeris: one state per step of the path, at the history's radius
    # and inertial speed (to the millimetre, the micrometre per second).
    lines = oem_path.read_text().splitlines()
    data = np.array([[float(x) for x in line.split()[1:]]
                     for line in lines[lines.index("META_STOP") + 1:] if line.strip()]) * 1e3
    assert len(data) == len(path)
    np.testing.assert_allclose(np.linalg.norm(data[:, :3], axis=1), 6378165.0 + path.h0_m,
                               atol=1e-3, rtol=0)
    np.testing.assert_allclose(np.linalg.norm(data[:, 3:], axis=1), path.vi_m_s, atol=1e-6,
                               rtol=0)


def test_a_flights_impacts_and_exports_are_the_trim_tools(trim_tool, thrust, tmp_path):
    flight = ascent.trim(20, thrust=thrust).flight
    impacts = flight.impacts
    table = pd.read_csv(io.StringIO(trim_tool("impacts", "-t", "20", "--csv")))
    assert list(impacts.element) == list(table.element)
    assert list(impacts.reaches_orbit) == list(table.reaches_orbit)
    np.testing.assert_allclose(impacts.latitude_deg, table.latitude_deg, atol=1e-6)
    np.testing.assert_allclose(impacts.longitude_deg, table.longitude_deg, atol=1e-6)
    np.testing.assert_allclose(impacts.downrange_m, table.downrange_m, atol=0.1)
    assert impacts.attrs["units"]["downrange_m"] == "m"

    events = flight.events
    liftoff = events[events.event == "liftoff"].iloc[0]
    assert (liftoff.latitude_deg, liftoff.longitude_deg) == pytest.approx((28.45, -80.6), abs=1e-6)
    east = ascent.fly(20, flight.maxa, thrust=thrust, launch_longitude=-70.6, history=False)
    assert east.impacts.longitude_deg[0] == pytest.approx(impacts.longitude_deg[0] + 10.0)
    with pytest.raises(ValueError, match="history=False"):
        east.write_kml(tmp_path / "none.kml")

    mine, theirs = tmp_path / "mine.oem", tmp_path / "theirs.oem"
    flight.write_oem(mine, "2026-12-08T14:30:00Z")
    trim_tool("history", "-t", "20", "-o", str(tmp_path / "h.csv"), "--oem", str(theirs),
              "--launch-epoch", "2026-12-08T14:30:00Z")
    def without_creation(path):
        return [line for line in path.read_text().splitlines()
                if not line.startswith("CREATION_DATE")]
    assert without_creation(mine) == without_creation(theirs)
    flight.write_kml(tmp_path / "mine.kml")
    _, marks = placemarks(tmp_path / "mine.kml")
    path = flight.history[~flight.history.search_step]
    coords = np.array(marks["ascent"].geometry.coords)
    np.testing.assert_allclose(coords[:, 1], path.latitude_deg, atol=1e-8)
