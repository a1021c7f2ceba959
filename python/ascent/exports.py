"""Flights handed to the field's tools: KML for Google Earth and GIS tools,
CCSDS Orbit Ephemeris Messages (OEM 2.0) for mission analysis tools. Both
are written whole or not at all, as every file of ascent.

    ascent.write_kml("ascent.kml", tracks={"ascent": rows}, places=[("core", 28.1, -75.2)])
    ascent.write_oem("ascent.oem", t, position, velocity, launch_epoch="2026-12-08T14:30:00Z")
"""
import datetime

import numpy as np

from . import _ascent
from .inputs import output_path, utf8_text


def _rows(values, width):
    rows = np.ascontiguousarray(np.asarray(values, dtype=float).reshape(-1, width))
    if width == 2:  # rings on the ground: altitude 0
        rows = np.column_stack([rows, np.zeros(len(rows))])
    return rows


def write_kml(path, tracks=None, places=None, areas=None, name="ascent"):
    """Writes a KML document to `path`.

    tracks: {name: rows of latitude [deg], longitude [deg], altitude [m]},
        each drawn as a LineString at its altitude (altitudeMode absolute);
    places: (name, latitude, longitude[, altitude[, description]]) tuples,
        each a Placemark (impact points);
    areas: {name: rows of latitude, longitude [deg]}, closed rings drawn as
        polygons on the ground (dispersion ellipses).

    ValueError for a point that is not finite or beyond a pole, or an empty
    `path`; TypeError for a `path` that is no str or os.PathLike.

    >>> ascent.write_kml("t.kml", tracks={"ascent": [(28.45, -80.6, 0.0), (28.5, -80.0, 5e4)]})
    """
    track_list = [(utf8_text(k), _rows(v, 3)) for k, v in (tracks or {}).items()]
    place_list = []
    for place in places or []:
        place_name, latitude, longitude, *rest = place
        altitude = float(rest[0]) if rest else 0.0
        description = utf8_text(rest[1]) if len(rest) > 1 else ""
        place_list.append((utf8_text(place_name), description, float(latitude), float(longitude),
                           altitude))
    area_list = [(utf8_text(k), "", _rows(v, 2)) for k, v in (areas or {}).items()]
    _ascent.write_kml(output_path(path), utf8_text(name), track_list, place_list, area_list)


def write_oem(path, t, position, velocity, launch_epoch, object_name="ascent",
              object_id="ascent", reference_frame="TEME"):
    """Writes a CCSDS OEM 2.0 ephemeris to `path`: one state per time.

    t: times since launch [s]; position, velocity: (n, 3) rows [m], [m/s],
    already in `reference_frame`; launch_epoch: the UTC time of t = 0, as
    "YYYY-MM-DDThh:mm:ss[.fff][Z]". Written in km and km/s. ValueError for
    times that do not increase or leave the years 1 to 9999, and for a state
    that is not finite.
    """
    created = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%S.%f")
    _ascent.write_oem(output_path(path), utf8_text(object_name), utf8_text(object_id),
                      utf8_text(reference_frame), str(launch_epoch),
                      [float(x) for x in np.asarray(t, dtype=float).ravel()],
                      _rows(position, 3), _rows(velocity, 3), created)
