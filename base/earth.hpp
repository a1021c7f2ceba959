// The simulation's Earth: a sphere with central gravity.
#pragma once

#include <numbers>

#include "base/real.hpp"

namespace ascent {

// Held in extended precision, like every constant of the equations of motion.
inline constexpr Extended R_EARTH = 6378165.0L;          ///< [m] radius of the sphere
inline constexpr Extended MU = 398600500000000.0L;       ///< [m^3/s^2] gravitational parameter
inline constexpr Extended PI = std::numbers::pi_v<Extended>;
inline constexpr Extended HALF_PI = PI / 2.0L;           ///< [rad] pi over an extended 2
/// [s] rotation period of the Earth.
inline constexpr Real SIDEREAL_DAY = 86164.09L;
/// [m/s^2] gravity at the surface, MU / R_EARTH^2, held as a stored value.
inline constexpr Real SURFACE_GRAVITY = 9.798200881516824L;

}  // namespace ascent
