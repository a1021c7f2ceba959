// The U.S. Standard Atmosphere, 1976, to 1000 km: a layered model below the
// 86 km switch altitude and natural cubic splines of the tabulated logarithms
// of pressure and density above it.
#pragma once

#include <array>

#include "base/real.hpp"

namespace ascent {

/// Ambient air at one altitude as the classic flight holds it (64-bit values
/// read in extended precision); air_model.hpp gives it in double precision.
struct AmbientAir {
  Real pressure;     ///< [Pa]
  Real density;      ///< [kg/m^3]
  Real sound_speed;  ///< [m/s]
};

inline constexpr int UPPER_NODES = 16;
using NodeTable = std::array<Real, UPPER_NODES>;

/// Cubic spline: on interval k, a[k] + b[k] t + c[k] t^2 + d[k] t^3, t = x - x[k].
struct Spline {
  NodeTable a{};
  NodeTable b{};
  NodeTable c{};
  NodeTable d{};
};

/// Natural cubic spline through (x[k], s.a[k]): fills b, c and d of `s`.
void natural_spline(const NodeTable& x, Spline& s);

/// Geopotential altitude [m] of the altitude `h` [m] above the sphere of
/// radius R_EARTH, in the gravity field of the simulation's Earth.
[[nodiscard]] Real geopotential_altitude(Real h);
/// Geometric altitude [m] over the standard's Earth (radius 6356766 m) that
/// has the geopotential altitude `H` [m].
[[nodiscard]] Real standard_geometric_altitude(Real H);

class Atmosphere {
 public:
  /// Builds the layer tables and the upper splines; call once before queries.
  void init_atmosphere();

  /// Air at altitude `h` [m] above the sphere of radius R_EARTH.
  [[nodiscard]] AmbientAir atmosphere(Real h) const;
  /// Layered model at geopotential altitude `H` [m].
  [[nodiscard]] AmbientAir lower_atmosphere(Real H) const;
  /// Spline model at standard geometric altitude `Z` [m], 86 km <= Z <= 1000 km.
  [[nodiscard]] AmbientAir upper_atmosphere(Real Z) const;

  [[nodiscard]] const std::array<Real, 8>& layer_base_temperature() const {
    return layer_base_temperature_;
  }
  [[nodiscard]] const std::array<Real, 8>& layer_base_pressure() const {
    return layer_base_pressure_;
  }
  [[nodiscard]] const Spline& ln_pressure_spline() const { return ln_pressure_spline_; }
  [[nodiscard]] const Spline& ln_density_spline() const { return ln_density_spline_; }

 private:
  void setup_layers();
  void setup_upper_splines();

  std::array<Real, 8> layer_base_temperature_{};  ///< [K]
  std::array<Real, 8> layer_base_pressure_{};     ///< [Pa]
  Spline ln_pressure_spline_;
  Spline ln_density_spline_;
};

/// The standard atmosphere's tables, built once on first use and shared by
/// every flight (they are never changed after that).
[[nodiscard]] const Atmosphere& standard_atmosphere();

}  // namespace ascent
