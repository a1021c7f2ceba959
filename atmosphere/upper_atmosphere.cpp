// The U.S. Standard Atmosphere, 1976, from 86 km to 1000 km: natural cubic
// splines through the logarithms of the tabulated pressure and density.
#include <cmath>
#include <cstddef>

#include "atmosphere/atmosphere.hpp"
#include "atmosphere/standard_atmosphere.hpp"
#include "base/extended_math.hpp"

namespace ascent {

namespace {

constexpr std::size_t NODES = UPPER_NODES;
constexpr std::size_t INTERVALS = NODES - 1;

/// The cubic of interval `k` at offset `t` from its left node, in Horner form.
Extended evaluate(const Spline& s, std::size_t k, Real t) {
  return ((s.d[k] * t + s.c[k]) * t + s.b[k]) * t + s.a[k];
}

}  // namespace

// Tridiagonal (Thomas) solve for the half second derivatives c, with the
// natural end conditions c[0] = c[15] = 0; b and d follow from c.
void natural_spline(const NodeTable& x, Spline& s) {
  NodeTable h{};
  NodeTable alpha{};
  NodeTable l{};
  NodeTable mu{};
  NodeTable z{};
  const NodeTable& a = s.a;

  for (std::size_t k = 0; k < INTERVALS; ++k) h[k] = x[k + 1] - x[k];
  // 3 (a[k+1] - a[k]) / h[k] - 3 (a[k] - a[k-1]) / h[k-1], over the common denominator.
  for (std::size_t k = 1; k < INTERVALS; ++k) {
    alpha[k] = 3.0L * (h[k - 1] * a[k + 1] - (x[k + 1] - x[k - 1]) * a[k] + h[k] * a[k - 1]) /
               (h[k] * h[k - 1]);
  }

  l[0] = 1.0L;
  mu[0] = 0.0L;
  z[0] = 0.0L;
  for (std::size_t k = 1; k < INTERVALS; ++k) {
    l[k] = 2.0L * (x[k + 1] - x[k - 1]) - h[k - 1] * mu[k - 1];
    mu[k] = h[k] / l[k];
    z[k] = (alpha[k] - h[k - 1] * z[k - 1]) / l[k];
  }

  z[INTERVALS] = 0.0L;
  s.c[INTERVALS] = 0.0L;
  for (std::size_t k = INTERVALS; k-- > 0;) {
    s.c[k] = z[k] - mu[k] * s.c[k + 1];
    s.b[k] = (a[k + 1] - a[k]) / h[k] - (2.0L * s.c[k] + s.c[k + 1]) * h[k] / 3.0L;
    s.d[k] = (s.c[k + 1] - s.c[k]) / (3.0L * h[k]);
  }
}

void Atmosphere::setup_upper_splines() {
  for (std::size_t k = 0; k < NODES; ++k) {
    ln_pressure_spline_.a[k] = std::log(Extended{upper_pressure[k]});
    ln_density_spline_.a[k] = std::log(Extended{upper_density[k]});
  }
  natural_spline(upper_height, ln_pressure_spline_);
  natural_spline(upper_height, ln_density_spline_);
}

AmbientAir Atmosphere::upper_atmosphere(Real Z) const {
  // A node belongs to the interval below it, so 86000 m is in interval 0. The
  // search stops at the last interval, which an altitude above 1000 km (never
  // passed by the query) would extrapolate.
  std::size_t k = 0;
  while (k + 1 < INTERVALS && upper_height[k + 1] < Z) ++k;

  const Real t = Z - upper_height[k];
  return AmbientAir{
      .pressure = exponential(evaluate(ln_pressure_spline_, k, t)),
      .density = exponential(evaluate(ln_density_spline_, k, t)),
      // The temperature of the top layer, 186.946 K, holds all the way up.
      .sound_speed = std::sqrt(layer_base_temperature_[LAYERS - 1] * SOUND_SPEED_CONSTANT),
  };
}

}  // namespace ascent
