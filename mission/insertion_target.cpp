#include "mission/insertion_target.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ascent {

Vector3 orbit_normal(double inclination, double ascending_node) {
  return {std::sin(inclination) * std::sin(ascending_node),
          -std::sin(inclination) * std::cos(ascending_node), std::cos(inclination)};
}

double node_through(const Vector3& pad, double inclination, OrbitPass pass) {
  const Vector3 p = pad.normalized();
  const double longitude = std::atan2(p.y(), p.x());
  // The argument of latitude u of the pad: sin(latitude) = sin(i) sin(u);
  // an equatorial orbit passes every equatorial pad at u = 0.
  const double sin_i = std::sin(inclination);
  const double sin_u = std::abs(sin_i) > 0.0 ? std::clamp(p.z() / sin_i, -1.0, 1.0) : 0.0;
  const double u_ascending = std::asin(sin_u);
  const double u = pass == OrbitPass::ascending ? u_ascending : std::numbers::pi - u_ascending;
  return longitude - std::atan2(std::cos(inclination) * std::sin(u), std::cos(u));
}

InsertionTarget insertion_target(const StagedVehicle& vehicle, const Vector3& pad_at_liftoff) {
  const StagedTarget& t = vehicle.target;
  const double mu = vehicle.earth.gravitational_parameter;
  InsertionTarget out;
  out.radius = vehicle.earth.equatorial_radius + t.perigee_altitude;
  out.speed = std::sqrt(mu * (2.0 / out.radius - 1.0 / vehicle.target_semi_major_axis()));
  out.flight_path_angle = 0.0;
  const double node = t.ascending_node ? *t.ascending_node
                                       : node_through(pad_at_liftoff, t.inclination, t.pass);
  out.normal = orbit_normal(t.inclination, node);
  return out;
}

}  // namespace ascent
