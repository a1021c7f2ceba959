"""KML and CCSDS OEM files written by the package: a KML reader (Debian's
python3-fastkml) finds the track, the impact points and the ellipses given,
and the ephemeris reads back as the states given to the millimetre."""
import math

import numpy as np
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
