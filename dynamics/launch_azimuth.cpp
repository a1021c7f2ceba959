#include "dynamics/launch_azimuth.hpp"

#include <cmath>
#include <numbers>

namespace ascent {

std::optional<double> launch_azimuth(const EarthModel& earth, double latitude,
                                     double inclination, double orbital_speed, OrbitPass pass) {
  const double cos_latitude = std::cos(latitude);
  const double sine = std::cos(inclination) / cos_latitude;
  if (!(std::fabs(sine) <= 1.0)) return std::nullopt;
  const double inertial = std::asin(sine);
  const double pad_speed = earth.rotation_rate * earth.equatorial_radius * cos_latitude;
  const double east = orbital_speed * std::sin(inertial) - pad_speed;
  const double north = orbital_speed * std::cos(inertial);
  const double azimuth = std::atan2(east, north);
  return pass == OrbitPass::ascending ? azimuth : std::numbers::pi - azimuth;
}

}  // namespace ascent
