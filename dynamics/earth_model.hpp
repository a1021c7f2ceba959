// The Earth of a three-dimensional flight: its gravitational parameter, its
// equatorial radius, its rotation about the inertial z axis and the J2 term of
// its oblateness. The defaults are the classic flight's spherical Earth.
#pragma once

#include "base/earth.hpp"
#include "dynamics/vector3.hpp"

namespace ascent {

/// [1] second zonal harmonic of the WGS84 Earth (EGM96, unnormalised).
inline constexpr double WGS84_J2 = 1.08262668e-3;

struct EarthModel {
  double gravitational_parameter = static_cast<double>(MU);  ///< [m^3/s^2]
  double equatorial_radius = static_cast<double>(R_EARTH);   ///< [m]
  double rotation_rate = static_cast<double>(2.0L * PI / SIDEREAL_DAY);  ///< [rad/s]
  double j2 = 0.0;  ///< [1] 0 for a central field

  /// [rad/s] the Earth's angular velocity in the inertial frame.
  [[nodiscard]] Vector3 rotation() const { return {0.0, 0.0, rotation_rate}; }

  bool operator==(const EarthModel&) const = default;
};

}  // namespace ascent
