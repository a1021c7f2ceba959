// The atmosphere query and the layered model of the U.S. Standard Atmosphere,
// 1976, below the 86 km switch altitude: seven layers with linear temperature
// profiles in geopotential altitude, hydrostatic pressure and the ideal gas.
#include "atmosphere/atmosphere.hpp"

#include <cmath>
#include <cstddef>

#include "atmosphere/standard_atmosphere.hpp"
#include "base/earth.hpp"
#include "base/extended_math.hpp"

namespace ascent {

Real geopotential_altitude(Real h) {
  return SURFACE_GRAVITY / G0 * R_EARTH * h / (h + R_EARTH);
}

Real standard_geometric_altitude(Real H) {
  return H * R_STANDARD / (R_STANDARD - H);
}

void Atmosphere::init_atmosphere() {
  setup_layers();
  setup_upper_splines();
}

const Atmosphere& standard_atmosphere() {
  static const Atmosphere air = [] {
    Atmosphere built;
    built.init_atmosphere();
    return built;
  }();
  return air;
}

void Atmosphere::setup_layers() {
  layer_base_temperature_[0] = T_SEA_LEVEL;
  layer_base_pressure_[0] = P_SEA_LEVEL;
  for (std::size_t i = 0; i + 1 < LAYERS; ++i) {
    const Real dH = layer_height[i + 1] - layer_height[i];
    const Real T_base = layer_base_temperature_[i];
    layer_base_temperature_[i + 1] = T_base + lapse_rate[i] * dH;
    if (lapse_rate[i] == 0.0L) {
      // Isothermal layer: p falls exponentially with the scale height R* T / (g0 M0).
      layer_base_pressure_[i + 1] =
          layer_base_pressure_[i] * std::exp(-HYDROSTATIC_CONSTANT * dH / T_base);
    } else {
      // Gradient layer: p / p_base = (T_base / T)^(g0 M0 / (R* L)).
      layer_base_pressure_[i + 1] =
          layer_base_pressure_[i] *
          std::exp(HYDROSTATIC_CONSTANT * std::log(T_base / layer_base_temperature_[i + 1]) /
                   lapse_rate[i]);
    }
  }
}

AmbientAir Atmosphere::atmosphere(Real h) const {
  // The standard altitude with the same geopotential as the vehicle.
  const Real H = geopotential_altitude(h);
  Real Z = standard_geometric_altitude(H);
  if (Z < SWITCH_ALTITUDE) return lower_atmosphere(H);
  if (Z > TOP_ALTITUDE) Z = TOP_ALTITUDE;
  return upper_atmosphere(Z);
}

AmbientAir Atmosphere::lower_atmosphere(Real H) const {
  // A boundary altitude belongs to the layer below it; below sea level layer 0
  // continues downward, and above 84852 m the isothermal layer 7 serves.
  std::size_t i = 0;
  while (i + 1 < LAYERS && layer_height[i + 1] < H) ++i;

  const Real T_base = layer_base_temperature_[i];
  const Real T = T_base + lapse_rate[i] * (H - layer_height[i]);
  Real p;
  if (lapse_rate[i] == 0.0L) {
    p = layer_base_pressure_[i] *
        exponential(-HYDROSTATIC_CONSTANT * (H - layer_height[i]) / T_base);
  } else {
    p = layer_base_pressure_[i] *
        exponential(HYDROSTATIC_CONSTANT * logarithm(T_base / T) / lapse_rate[i]);
  }
  return AmbientAir{
      .pressure = p,
      .density = p / T * DENSITY_CONSTANT,
      .sound_speed = std::sqrt(T * SOUND_SPEED_CONSTANT),
  };
}

}  // namespace ascent
