// A flight on the map, as KML 2.2 (OGC 07-147r2) that Google Earth and GIS
// tools read: trajectories as LineStrings at their altitude
// (altitudeMode absolute; longitude, latitude in degrees, altitude in
// metres), impact points as Placemarks, dispersion ellipses as polygons on
// the ground.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "dynamics/geodetic.hpp"

namespace ascent {

struct KmlDocument {
  struct Track {
    std::string name;
    std::vector<Geodetic> points;
  };
  struct Place {
    std::string name;
    std::string description;
    Geodetic where;
  };
  struct Area {
    std::string name;
    std::string description;
    std::vector<Geodetic> outline;  ///< a closed ring on the ground
  };

  std::string name;
  std::vector<Track> tracks;
  std::vector<Place> places;
  std::vector<Area> areas;
};

/// The document as KML text. Throws InputError for a point that is not
/// finite or lies beyond a pole.
[[nodiscard]] std::string kml_text(const KmlDocument& document);

/// Writes the document to `path`, whole or not at all; throws FileError when it cannot.
void write_kml(const std::filesystem::path& path, const KmlDocument& document);

}  // namespace ascent
