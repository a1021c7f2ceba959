// The KML and CCSDS OEM writers of the text layer, so that ascent.write_kml
// and ascent.write_oem write the files ascent-trim writes, whole or not at all.
#include <pybind11/eigen.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <numbers>

#include "base/runtime_error.hpp"
#include "bindings.hpp"
#include "text/kml_document.hpp"
#include "text/orbit_ephemeris.hpp"

namespace py = pybind11;

namespace ascent::python {

namespace {

constexpr double RADIANS_PER_DEGREE = std::numbers::pi / 180.0;

using Rows = Eigen::Matrix<double, Eigen::Dynamic, 3, Eigen::RowMajor>;

/// Points from rows of latitude [deg], longitude [deg] and altitude [m].
std::vector<Geodetic> points_of(const Rows& rows) {
  std::vector<Geodetic> points;
  points.reserve(static_cast<std::size_t>(rows.rows()));
  for (Eigen::Index i = 0; i < rows.rows(); ++i) {
    points.push_back({rows(i, 0) * RADIANS_PER_DEGREE, rows(i, 1) * RADIANS_PER_DEGREE, rows(i, 2)});
  }
  return points;
}

}  // namespace

void bind_export(py::module_& m) {
  m.def(
      "write_kml",
      [](const std::filesystem::path& path, const std::string& name,
         const std::vector<std::pair<std::string, Rows>>& tracks,
         const std::vector<std::tuple<std::string, std::string, double, double, double>>& places,
         const std::vector<std::tuple<std::string, std::string, Rows>>& areas) {
        KmlDocument document{name, {}, {}, {}};
        for (const auto& [track_name, rows] : tracks) {
          document.tracks.push_back({track_name, points_of(rows)});
        }
        for (const auto& [place_name, description, latitude, longitude, altitude] : places) {
          document.places.push_back({place_name, description,
                                     {latitude * RADIANS_PER_DEGREE,
                                      longitude * RADIANS_PER_DEGREE, altitude}});
        }
        for (const auto& [area_name, description, rows] : areas) {
          document.areas.push_back({area_name, description, points_of(rows)});
        }
        py::gil_scoped_release unlocked;
        write_kml(path, document);
      },
      py::arg("path"), py::arg("name"), py::arg("tracks"), py::arg("places"), py::arg("areas"),
      "Tracks as (name, rows of lat [deg], lon [deg], alt [m]), places as (name, description, "
      "lat, lon, alt), areas as (name, description, rows).");
  m.def(
      "write_oem",
      [](const std::filesystem::path& path, const std::string& object_name,
         const std::string& object_id, const std::string& reference_frame,
         const std::string& launch_epoch, const std::vector<double>& t, const Rows& position,
         const Rows& velocity, const std::string& creation_date) {
        if (position.rows() != static_cast<Eigen::Index>(t.size()) ||
            velocity.rows() != position.rows()) {
          throw InputError(ErrorCode::range_check,
                           "times, positions and velocities must have as many rows");
        }
        OrbitEphemeris ephemeris;
        ephemeris.creation_date = UtcTime::parse(creation_date);
        ephemeris.object_name = object_name;
        ephemeris.object_id = object_id;
        ephemeris.reference_frame = reference_frame;
        const UtcTime launch = UtcTime::parse(launch_epoch);
        for (std::size_t i = 0; i < t.size(); ++i) {
          const auto row = static_cast<Eigen::Index>(i);
          ephemeris.states.push_back(
              {launch.plus(t[i]), position.row(row).transpose(), velocity.row(row).transpose()});
        }
        py::gil_scoped_release unlocked;
        write_oem(path, ephemeris);
      },
      py::arg("path"), py::arg("object_name"), py::arg("object_id"), py::arg("reference_frame"),
      py::arg("launch_epoch"), py::arg("t"), py::arg("position"), py::arg("velocity"),
      py::arg("creation_date"));
}

}  // namespace ascent::python
