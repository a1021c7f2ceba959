// The double-precision air of the three-dimensional flight: the standard's
// sea-level values, the classic model's values, and the hydrostatic balance
// of the isothermal exponential atmosphere.
#include <gtest/gtest.h>

#include <cmath>

#include "atmosphere/air_model.hpp"
#include "atmosphere/atmosphere.hpp"

namespace ascent::testing {
namespace {

TEST(AirModel, Us1976AtSeaLevelIsTheStandardsAir) {
  const AirData air = air_data(AirModel::us1976(), 0.0);
  EXPECT_NEAR(air.pressure, 101325.0, 1e-6);
  EXPECT_NEAR(air.density, 1.2250, 5e-5);
  EXPECT_NEAR(air.sound_speed, 340.294, 1e-3);
}

TEST(AirModel, Us1976IsTheClassicFlightsAtmosphere) {
  for (double h : {1000.0, 11000.0, 47000.0, 90000.0, 400000.0}) {
    const AirData air = air_data(AirModel::us1976(), h);
    const AmbientAir classic = standard_atmosphere().atmosphere(h);
    EXPECT_EQ(air.density, classic.density.value());
    EXPECT_EQ(air.pressure, classic.pressure.value());
    EXPECT_EQ(air.sound_speed, classic.sound_speed.value());
  }
}

TEST(AirModel, ExponentialAirIsInHydrostaticBalance) {
  const AirModel model = AirModel::exponential(1.225, 7200.0);
  for (double h : {0.0, 5000.0, 30000.0}) {
    // dp/dh = -rho g0, by central differences.
    const double step = 1.0;
    const double dp = (air_data(model, h + step).pressure - air_data(model, h - step).pressure) /
                      (2.0 * step);
    EXPECT_NEAR(dp / (-air_data(model, h).density * 9.80665), 1.0, 1e-6);
  }
  EXPECT_NEAR(air_data(model, 7200.0).density * std::exp(1.0), 1.225, 1e-12);
}

}  // namespace
}  // namespace ascent::testing
