// The layered model below 86 km and the altitude conversions, against the
// U.S. Standard Atmosphere, 1976 and the hydrostatic and ideal-gas laws.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "atmosphere/atmosphere.hpp"
#include "atmosphere/standard_atmosphere.hpp"
#include "atmosphere_testing.hpp"

namespace ascent {
namespace {

using testing::half_unit;
using testing::Printed;
using testing::standard_air;
using testing::temperature_of;

TEST(LayerSetup, BaseTemperaturesAndPressuresMatchTheStandard) {
  // U.S. Standard Atmosphere, 1976, layer bases to 8 significant digits.
  const LayerTable temperature{288.15, 216.65, 216.65, 228.65, 270.65, 270.65, 214.65, 186.946};
  const LayerTable pressure{101325.0,  22632.064, 5474.8887, 868.01868,
                            110.90631, 66.938873, 3.9564204, 0.37338359};
  const Atmosphere& air = standard_air();
  for (std::size_t i = 0; i < LAYERS; ++i) {
    SCOPED_TRACE(::testing::Message() << "layer " << i);
    EXPECT_PRINTS_AS(air.layer_base_temperature()[i].value(), (Printed{temperature[i].value(), 8}));
    EXPECT_PRINTS_AS(air.layer_base_pressure()[i].value(), (Printed{pressure[i].value(), 8}));
  }
}

TEST(AltitudeConversion, GeopotentialAndStandardGeometricAltitudes) {
  struct Case {
    double h;                  // [m] above the simulation's sphere
    std::optional<Printed> H;  // [m] geopotential
    std::optional<Printed> Z;  // [m] standard geometric
  };
  const std::vector<Case> cases{
      {-1000.0, Printed{-999.2951, 7}, std::nullopt}, {11000.0, Printed{10971.60, 7}, std::nullopt},
      {20000.0, Printed{19920.30, 7}, std::nullopt},  {86000.0, std::nullopt, Printed{85928.80, 7}},
      {86072.0, std::nullopt, Printed{86000.75, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "h = " << c.h);
    const Real H = geopotential_altitude(c.h);
    if (c.H) {
      EXPECT_PRINTS_AS(H.value(), *c.H);
    }
    if (c.Z) {
      EXPECT_PRINTS_AS(standard_geometric_altitude(H).value(), *c.Z);
    }
  }
  // Sea level is sea level in every altitude.
  EXPECT_EQ(geopotential_altitude(0.0).value(), 0.0);
  EXPECT_EQ(standard_geometric_altitude(0.0).value(), 0.0);
}

TEST(LowerAtmosphere, QueryMatchesStandardValues) {
  struct Case {
    double h;  // [m]
    Printed pressure;
    Printed density;
    Printed sound_speed;
  };
  // U.S. Standard Atmosphere, 1976, looked up at the standard altitude with
  // the vehicle's geopotential, to 7 significant digits.
  const std::vector<Case> cases{
      {0.0, {101325.0, 7}, {1.224999, 7}, {340.2941, 7}},
      {-1000.0, {113919.8, 7}, {1.346906, 7}, {344.1082, 7}},
      {11000.0, {22733.60, 7}, {0.3652392, 7}, {295.1953, 7}},
      {20000.0, {5544.126, 7}, {0.08914812, 7}, {295.0696, 7}},
      {86000.0, {0.3781379, 7}, {7.041257e-6, 7}, {274.1979, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "h = " << c.h);
    const AmbientAir air = standard_air().atmosphere(c.h);
    EXPECT_PRINTS_AS(air.pressure.value(), c.pressure);
    EXPECT_PRINTS_AS(air.density.value(), c.density);
    EXPECT_PRINTS_AS(air.sound_speed.value(), c.sound_speed);
  }
}

TEST(LowerAtmosphere, LayerBoundariesAreContinuous) {
  const Atmosphere& air = standard_air();
  for (std::size_t i = 1; i < LAYERS; ++i) {
    SCOPED_TRACE(::testing::Message() << "base of layer " << i);
    const double H = layer_height[i].value();
    const AmbientAir on = air.lower_atmosphere(H);
    // Computed from the layer below, the boundary reproduces the next layer's
    // base to the last digits (the same formula produced that base).
    EXPECT_DOUBLE_EQ(on.pressure.value(), air.layer_base_pressure()[i].value());
    EXPECT_NEAR(temperature_of(on), air.layer_base_temperature()[i].value(), 1e-12);
    for (const double side : {-1.0e-6, 1.0e-6}) {
      const AmbientAir near = air.lower_atmosphere(H + side);
      EXPECT_NEAR(near.pressure.value() / on.pressure.value(), 1.0, 1e-9);
      EXPECT_NEAR(near.sound_speed.value() / on.sound_speed.value(), 1.0, 1e-9);
    }
  }
  // H = 11000 m exactly is the top of layer 0 and already at layer 1's temperature.
  EXPECT_PRINTS_AS(temperature_of(air.lower_atmosphere(11000.0)), (Printed{216.65, 5}));
}

TEST(LowerAtmosphere, IsothermalLayerSevenServesUpToTheSwitch) {
  const Atmosphere& air = standard_air();
  const AmbientAir top = air.lower_atmosphere(84852.03);
  EXPECT_PRINTS_AS(temperature_of(top), (Printed{186.946, 7}));
  EXPECT_PRINTS_AS(top.pressure.value(), (Printed{0.3733815, 7}));
  // Further up the search stays in layer 7: constant temperature, falling pressure.
  const AmbientAir above = air.lower_atmosphere(84900.0);
  EXPECT_DOUBLE_EQ(above.sound_speed.value(), top.sound_speed.value());
  EXPECT_LT(above.pressure.value(), top.pressure.value());
}

// Probe altitudes inside every layer (and in the isothermal band of layer 7).
std::vector<double> probe_altitudes() {
  std::vector<double> H{-1000.0};
  for (std::size_t i = 0; i + 1 < LAYERS; ++i) {
    const double base = layer_height[i].value();
    const double span = layer_height[i + 1].value() - base;
    for (const double f : {0.1, 0.5, 0.9}) H.push_back(base + f * span);
  }
  H.push_back(84852.04);
  return H;
}

TEST(LowerAtmosphere, SatisfiesIdealGasAndHydrostaticEquilibrium) {
  const Atmosphere& air = standard_air();
  for (const double H : probe_altitudes()) {
    SCOPED_TRACE(::testing::Message() << "H = " << H);
    const AmbientAir at = air.lower_atmosphere(H);
    // a^2 = gamma p / rho with gamma = 1.4: only 64-bit rounding of the results.
    const double gamma =
        at.sound_speed.value() * at.sound_speed.value() * at.density.value() / at.pressure.value();
    EXPECT_NEAR(gamma, 1.4, 1e-14);
    // dp/dH = -rho g0 in geopotential altitude. A central difference over 2 cm
    // has a truncation error near 1e-12 and a rounding error near 1e-10.
    const double dH = 0.01;
    const double slope = (air.lower_atmosphere(H + dH).pressure.value() -
                          air.lower_atmosphere(H - dH).pressure.value()) /
                         (2.0 * dH);
    const double weight = -at.density.value() * static_cast<double>(G0);
    EXPECT_NEAR(slope / weight, 1.0, 1e-8);
  }
}

}  // namespace
}  // namespace ascent
