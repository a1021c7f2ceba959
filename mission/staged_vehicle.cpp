#include "mission/staged_vehicle.hpp"

#include <cmath>

namespace ascent {

Vector3 DirectionTable::at(double t) const {
  if (times.empty()) return Vector3::Zero();
  if (!(t > times.front())) return directions.front().normalized();
  if (!(t < times.back())) return directions.back().normalized();
  std::size_t hi = 1;
  while (times[hi] < t) ++hi;
  const double w = (t - times[hi - 1]) / (times[hi] - times[hi - 1]);
  return ((1.0 - w) * directions[hi - 1] + w * directions[hi]).normalized();
}

double StagedVehicle::liftoff_mass() const {
  double mass = payload;
  for (const Element& e : elements) mass += e.loaded_mass();
  return mass;
}

double StagedVehicle::target_semi_major_axis() const {
  return earth.equatorial_radius + 0.5 * (target.perigee_altitude + target.apogee_altitude);
}

double StagedVehicle::target_circular_speed() const {
  return std::sqrt(earth.gravitational_parameter / target_semi_major_axis());
}

std::optional<double> StagedVehicle::launch_azimuth() const {
  if (target.azimuth) return target.azimuth;
  // Aimed with the speed at the target's perigee, where a direct ascent inserts.
  const double r_p = earth.equatorial_radius + target.perigee_altitude;
  const double speed = std::sqrt(earth.gravitational_parameter *
                                 (2.0 / r_p - 1.0 / target_semi_major_axis()));
  return ascent::launch_azimuth(earth, site.latitude, target.inclination, speed, target.pass);
}

std::optional<std::size_t> StagedVehicle::element_named(const std::string& wanted) const {
  for (std::size_t i = 0; i < elements.size(); ++i) {
    if (elements[i].name == wanted) return i;
  }
  return std::nullopt;
}

}  // namespace ascent
