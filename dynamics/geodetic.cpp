#include "dynamics/geodetic.hpp"

#include <cmath>
#include <numbers>

namespace ascent {

namespace {

constexpr double DEGREE = std::numbers::pi / 180.0;  ///< [rad] GeographicLib works in degrees

}  // namespace

Eigen::Vector3d turned_about_z(const Eigen::Vector3d& vector, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  return {c * vector.x() - s * vector.y(), s * vector.x() + c * vector.y(), vector.z()};
}

GroundFrame::GroundFrame(EarthFigure figure, double rotation_rate, double longitude_at_launch)
    : figure_(figure),
      rotation_rate_(rotation_rate),
      longitude_at_launch_(longitude_at_launch),
      geocentric_(figure.equatorial_radius, figure.flattening),
      geodesic_(figure.equatorial_radius, figure.flattening) {}

double GroundFrame::turned(double time) const {
  return longitude_at_launch_ - rotation_rate_ * time;
}

Eigen::Vector3d GroundFrame::earth_fixed(const Eigen::Vector3d& position, double time) const {
  return turned_about_z(position, turned(time));
}

Eigen::Vector3d GroundFrame::inertial(const Eigen::Vector3d& earth_fixed, double time) const {
  return turned_about_z(earth_fixed, -turned(time));
}

Geodetic GroundFrame::geodetic(const Eigen::Vector3d& position, double time) const {
  const Eigen::Vector3d fixed = earth_fixed(position, time);
  double latitude = 0.0;
  double longitude = 0.0;
  double altitude = 0.0;
  geocentric_.Reverse(fixed.x(), fixed.y(), fixed.z(), latitude, longitude, altitude);
  return {latitude * DEGREE, longitude * DEGREE, altitude};
}

Eigen::Vector3d GroundFrame::position(const Geodetic& point, double time) const {
  Eigen::Vector3d fixed;
  geocentric_.Forward(point.latitude / DEGREE, point.longitude / DEGREE, point.altitude, fixed.x(),
                      fixed.y(), fixed.z());
  return inertial(fixed, time);
}

double GroundFrame::surface_distance(const Geodetic& from, const Geodetic& to) const {
  double distance = 0.0;
  geodesic_.Inverse(from.latitude / DEGREE, from.longitude / DEGREE, to.latitude / DEGREE,
                    to.longitude / DEGREE, distance);
  return distance;
}

Eigen::Vector2d TangentPlane::to_plane(const Geodetic& point) const {
  Eigen::Vector2d east_north;
  projection_.Forward(origin_.latitude / DEGREE, origin_.longitude / DEGREE,
                      point.latitude / DEGREE, point.longitude / DEGREE, east_north.x(),
                      east_north.y());
  return east_north;
}

Geodetic TangentPlane::to_ground(const Eigen::Vector2d& east_north) const {
  double latitude = 0.0;
  double longitude = 0.0;
  projection_.Reverse(origin_.latitude / DEGREE, origin_.longitude / DEGREE, east_north.x(),
                      east_north.y(), latitude, longitude);
  return {latitude * DEGREE, longitude * DEGREE, 0.0};
}

}  // namespace ascent
