// Where a point of the flight lies over the ground: geodetic latitude,
// longitude and altitude of an Earth-centred inertial position, on the
// flight's own sphere or on the WGS84 ellipsoid (through GeographicLib), and
// distances and local tangent planes on the same figure.
//
// The inertial frame has its z axis along the Earth's rotation axis; at
// launch its x axis points to the Earth-fixed longitude `longitude_at_launch`
// (0: the Greenwich meridian). The Earth turns eastward under it at the
// rotation rate, so an inertial longitude L is the Earth-fixed longitude
// L + longitude_at_launch - rotation_rate * t at time t since launch.
#pragma once

#include <Eigen/Core>
#include <GeographicLib/AzimuthalEquidistant.hpp>
#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/Geodesic.hpp>

namespace ascent {

/// An ellipsoid of revolution the geodetic coordinates refer to.
struct EarthFigure {
  double equatorial_radius;  ///< [m]
  double flattening;         ///< [-] 0 for a sphere

  /// A sphere of `radius` [m]: latitude is the geocentric one, altitude the
  /// height above the sphere.
  static EarthFigure sphere(double radius) { return {radius, 0.0}; }
  /// The WGS84 ellipsoid (NIMA TR8350.2).
  static EarthFigure wgs84() { return {6378137.0, 1.0 / 298.257223563}; }
};

/// `vector` turned by `angle` [rad] about the z axis, counter-clockwise seen from the north.
[[nodiscard]] Eigen::Vector3d turned_about_z(const Eigen::Vector3d& vector, double angle);

/// A point over the figure.
struct Geodetic {
  double latitude = 0.0;   ///< [rad] geodetic, north positive
  double longitude = 0.0;  ///< [rad] Earth-fixed, east positive, in [-pi, pi]
  double altitude = 0.0;   ///< [m] above the figure, along its normal
};

/// The ground under a flight: its figure and how the Earth turns under the
/// inertial frame. Holds GeographicLib's solvers, set up once.
class GroundFrame {
 public:
  /// `rotation_rate` [rad/s]; `longitude_at_launch` [rad]: the Earth-fixed
  /// longitude of the inertial x axis at launch.
  GroundFrame(EarthFigure figure, double rotation_rate, double longitude_at_launch = 0.0);

  [[nodiscard]] const EarthFigure& figure() const { return figure_; }

  /// The Earth-fixed position [m] of an inertial `position` [m] at `time` [s] since launch.
  [[nodiscard]] Eigen::Vector3d earth_fixed(const Eigen::Vector3d& position, double time) const;
  /// The inertial position [m] of an Earth-fixed one at `time` [s] since launch.
  [[nodiscard]] Eigen::Vector3d inertial(const Eigen::Vector3d& earth_fixed, double time) const;

  /// Latitude, longitude and altitude of an inertial `position` at `time` since launch.
  [[nodiscard]] Geodetic geodetic(const Eigen::Vector3d& position, double time) const;
  /// The inertial position of a point over the figure at `time` since launch.
  [[nodiscard]] Eigen::Vector3d position(const Geodetic& point, double time) const;

  /// [m] the length of the shortest path over the figure between two points
  /// (their altitudes left aside): the downrange distance of an impact from the pad.
  [[nodiscard]] double surface_distance(const Geodetic& from, const Geodetic& to) const;

  [[nodiscard]] const GeographicLib::Geodesic& geodesic() const { return geodesic_; }

 private:
  [[nodiscard]] double turned(double time) const;  ///< [rad] Earth-fixed minus inertial longitude

  EarthFigure figure_;
  double rotation_rate_;        ///< [rad/s]
  double longitude_at_launch_;  ///< [rad]
  GeographicLib::Geocentric geocentric_;
  GeographicLib::Geodesic geodesic_;
};

/// A plane tangent to the figure at an origin, east and north in metres:
/// the azimuthal equidistant projection, true in distance and azimuth from
/// the origin, where impact points are compared and their spread measured.
class TangentPlane {
 public:
  TangentPlane(const GroundFrame& ground, const Geodetic& origin)
      : projection_(ground.geodesic()), origin_(origin) {}

  [[nodiscard]] const Geodetic& origin() const { return origin_; }
  /// [m] east and north of a point on the ground.
  [[nodiscard]] Eigen::Vector2d to_plane(const Geodetic& point) const;
  /// The point on the ground (altitude 0) at `east_north` [m].
  [[nodiscard]] Geodetic to_ground(const Eigen::Vector2d& east_north) const;

 private:
  GeographicLib::AzimuthalEquidistant projection_;
  Geodetic origin_;
};

}  // namespace ascent
