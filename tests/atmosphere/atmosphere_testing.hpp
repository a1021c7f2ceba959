// Shared helpers of the atmosphere tests: one initialised atmosphere and the
// comparison against reference values printed to a number of significant digits.
#pragma once

#include <cmath>

#include "atmosphere/atmosphere.hpp"
#include "atmosphere/standard_atmosphere.hpp"

namespace ascent::testing {

/// The atmosphere after its one-time initialisation, as the program uses it.
inline const Atmosphere& standard_air() {
  static const Atmosphere air = [] {
    Atmosphere a;
    a.init_atmosphere();
    return a;
  }();
  return air;
}

/// A reference value and the number of significant digits it was printed with.
struct Printed {
  double value;
  int digits;
};

/// Half a unit in the last printed digit of `reference`: the largest error
/// that still prints as the reference.
inline double half_unit(Printed reference) {
  const double exponent = std::floor(std::log10(std::fabs(reference.value)));
  return 0.5 * std::pow(10.0, exponent - reference.digits + 1);
}

/// Square of the speed of sound over gamma R* / M0: the air temperature [K].
inline double temperature_of(const AmbientAir& air) {
  const long double a = air.sound_speed;
  return static_cast<double>(a * a / SOUND_SPEED_CONSTANT);
}

}  // namespace ascent::testing

#define EXPECT_PRINTS_AS(actual, reference) \
  EXPECT_NEAR((actual), (reference).value, ::ascent::testing::half_unit(reference))
