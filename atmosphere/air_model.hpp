// The air of a three-dimensional flight, in double precision: the U.S.
// Standard Atmosphere, 1976, as the classic flight reads it, or an isothermal
// exponential atmosphere given by its sea-level density and scale height.
#pragma once

namespace ascent {

struct AirModel {
  enum class Kind {
    us1976,       ///< the classic flight's standard atmosphere
    exponential,  ///< rho = rho0 exp(-h / H), isothermal
  };
  Kind kind = Kind::us1976;
  double sea_level_density = 1.225;  ///< [kg/m^3] exponential only
  double scale_height = 7200.0;      ///< [m] exponential only

  [[nodiscard]] static AirModel us1976() { return {}; }
  [[nodiscard]] static AirModel exponential(double sea_level_density, double scale_height) {
    return {Kind::exponential, sea_level_density, scale_height};
  }

  bool operator==(const AirModel&) const = default;
};

/// Ambient air at one altitude.
struct AirData {
  double density;      ///< [kg/m^3]
  double pressure;     ///< [Pa]
  double sound_speed;  ///< [m/s]
};

/// The air at `altitude` [m] above the sphere of the equatorial radius. The
/// exponential atmosphere is isothermal at the temperature of its scale
/// height (R T = g0 H): pressure rho g0 H, speed of sound sqrt(1.4 g0 H).
[[nodiscard]] AirData air_data(const AirModel& model, double altitude);

}  // namespace ascent
