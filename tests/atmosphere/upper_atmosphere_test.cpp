// The spline model from 86 km to 1000 km, the natural cubic spline itself, and
// the query's choice between the layered model, the splines and the ceiling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <vector>

#include "atmosphere/atmosphere.hpp"
#include "atmosphere/standard_atmosphere.hpp"
#include "atmosphere_testing.hpp"
#include "base/earth.hpp"

namespace ascent {
namespace {

using testing::Printed;
using testing::standard_air;

void expect_same_air(const AmbientAir& actual, const AmbientAir& expected) {
  EXPECT_EQ(actual.pressure.value(), expected.pressure.value());
  EXPECT_EQ(actual.density.value(), expected.density.value());
  EXPECT_EQ(actual.sound_speed.value(), expected.sound_speed.value());
}

// ---- The spline model ---------------------------------------------------------------------

TEST(UpperAtmosphere, ReproducesTheTableAtEveryNode) {
  // A node is the right end of the interval below it (86000 m is the left end
  // of interval 0); the 64-bit coefficients and ln/exp leave a few ulps.
  for (std::size_t k = 0; k < UPPER_NODES; ++k) {
    SCOPED_TRACE(::testing::Message() << "node " << k << ", Z = " << upper_height[k].value());
    const AmbientAir air = standard_air().upper_atmosphere(upper_height[k]);
    EXPECT_NEAR(air.pressure.value() / upper_pressure[k].value(), 1.0, 1e-12);
    EXPECT_NEAR(air.density.value() / upper_density[k].value(), 1.0, 1e-12);
  }
}

TEST(UpperAtmosphere, InterpolatesBetweenNodes) {
  struct Case {
    double Z;  // [m]
    Printed pressure;
    Printed density;
  };
  const std::vector<Case> cases{
      {93000.0, {0.1060565, 7}, {1.988620e-6, 7}},      // interval 0
      {120000.0, {2.500714e-3, 7}, {2.224849e-8, 7}},   // interval 2
      {450000.0, {6.445578e-7, 7}, {1.184352e-12, 7}},  // interval 9
      {950000.0, {8.994482e-9, 7}, {4.468263e-15, 7}},  // interval 14
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "Z = " << c.Z);
    const AmbientAir air = standard_air().upper_atmosphere(c.Z);
    EXPECT_PRINTS_AS(air.pressure.value(), c.pressure);
    EXPECT_PRINTS_AS(air.density.value(), c.density);
  }
}

TEST(UpperAtmosphere, SoundSpeedIsThatOfTheTopLayerEverywhere) {
  const Atmosphere& air = standard_air();
  const double top = air.upper_atmosphere(SWITCH_ALTITUDE).sound_speed.value();
  EXPECT_PRINTS_AS(top, (Printed{274.0963, 7}));
  for (const double Z : {93000.0, 100000.0, 333333.0, 777777.0, 1000000.0}) {
    EXPECT_EQ(air.upper_atmosphere(Z).sound_speed.value(), top) << "Z = " << Z;
  }
}

// ---- The splines of the logarithms --------------------------------------------------------

TEST(UpperSplines, CoefficientsOfTheFirstAndLastIntervals) {
  struct Case {
    const char* name;
    const Spline& spline;
    std::size_t k;
    double a, b, c, d;  // 10 significant digits; c = 0 is exact at the natural end
  };
  const Atmosphere& air = standard_air();
  const std::vector<Case> cases{
      {"ln p", air.ln_pressure_spline(), 0, -0.9851586112, -1.812495387e-4, 0.0, 2.951037428e-14},
      {"ln rho", air.ln_density_spline(), 0, -11.87561848, -1.785860092e-4, 0.0, -6.848546841e-15},
      {"ln p", air.ln_pressure_spline(), 14, -18.33698318, -3.956786232e-6, 3.920595153e-12,
       -1.306865051e-17},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.name << ", interval " << c.k);
    EXPECT_PRINTS_AS(c.spline.a[c.k].value(), (Printed{c.a, 10}));
    EXPECT_PRINTS_AS(c.spline.b[c.k].value(), (Printed{c.b, 10}));
    if (c.c == 0.0) {
      EXPECT_EQ(c.spline.c[c.k].value(), 0.0);
    } else {
      EXPECT_PRINTS_AS(c.spline.c[c.k].value(), (Printed{c.c, 10}));
    }
    EXPECT_PRINTS_AS(c.spline.d[c.k].value(), (Printed{c.d, 10}));
  }
}

TEST(UpperSplines, HaveNaturalEndsAndNoLastInterval) {
  const Atmosphere& air = standard_air();
  for (const Spline* s : {&air.ln_pressure_spline(), &air.ln_density_spline()}) {
    EXPECT_EQ(s->c[0].value(), 0.0);
    EXPECT_EQ(s->c[UPPER_NODES - 1].value(), 0.0);
    EXPECT_EQ(s->b[UPPER_NODES - 1].value(), 0.0);
    EXPECT_EQ(s->d[UPPER_NODES - 1].value(), 0.0);
  }
}

// ---- The natural cubic spline -------------------------------------------------------------

TEST(NaturalSpline, IsTwiceContinuouslyDifferentiableAtInteriorNodes) {
  const Atmosphere& air = standard_air();
  for (const Spline* s : {&air.ln_pressure_spline(), &air.ln_density_spline()}) {
    for (std::size_t k = 1; k + 1 < UPPER_NODES; ++k) {
      SCOPED_TRACE(::testing::Message() << "node " << k);
      const long double h = upper_height[k] - upper_height[k - 1];
      const long double a = s->a[k - 1], b = s->b[k - 1], c = s->c[k - 1], d = s->d[k - 1];
      // Value, slope and half curvature at the right end of interval k - 1
      // against the left end of interval k. The 64-bit coefficients carry
      // relative errors near 1e-16 through a 15-step solve; allow 1e-12 of
      // the largest term.
      const auto expect_matches = [](const char* what, std::initializer_list<long double> terms,
                                     Real next) {
        long double sum = 0.0L;
        long double largest = std::fabs(static_cast<long double>(next));
        for (const long double term : terms) {
          sum += term;
          largest = std::max(largest, std::fabs(term));
        }
        EXPECT_LE(std::fabs(sum - next), 1e-12L * largest)
            << what << ": " << static_cast<double>(sum) << " against " << next.value();
      };
      expect_matches("value", {a, b * h, c * h * h, d * h * h * h}, s->a[k]);
      expect_matches("slope", {b, 2.0L * c * h, 3.0L * d * h * h}, s->b[k]);
      expect_matches("half curvature", {c, 3.0L * d * h}, s->c[k]);
    }
  }
}

TEST(NaturalSpline, ApproximatesASineToFourthOrderOnUnevenNodes) {
  // sin on [0, pi] has zero curvature at both ends, which the natural
  // conditions assume; the error of a cubic spline on steps of about 0.2
  // is then of order h^4 / 384 ~ 1e-5.
  NodeTable x{};
  Spline s;
  for (std::size_t k = 0; k < UPPER_NODES; ++k) {
    const long double u = static_cast<long double>(k) / (UPPER_NODES - 1);
    x[k] = std::numbers::pi_v<long double> * (u + 0.2L * u * (1.0L - u) * (0.5L - u));
    s.a[k] = std::sin(static_cast<long double>(x[k]));
  }
  const NodeTable ordinates = s.a;
  natural_spline(x, s);
  for (std::size_t k = 0; k < UPPER_NODES; ++k) EXPECT_EQ(s.a[k].value(), ordinates[k].value());
  double worst = 0.0;
  for (std::size_t k = 0; k + 1 < UPPER_NODES; ++k) {
    for (const long double f : {0.25L, 0.5L, 0.75L}) {
      const long double t = f * (x[k + 1] - x[k]);
      const long double spline = ((s.d[k] * t + s.c[k]) * t + s.b[k]) * t + s.a[k];
      worst = std::max(worst, static_cast<double>(std::fabs(spline - std::sin(x[k] + t))));
    }
  }
  EXPECT_LT(worst, 2e-5);
}

// ---- The query's choice of model ----------------------------------------------------------

TEST(ModelSelection, SwitchesToTheSplinesAtTheStandardAltitudeOf86Km) {
  const Atmosphere& air = standard_air();
  // The switch falls at h ~ 86071.25 m (H ~ 84852.046 m).
  const Real H_below = geopotential_altitude(86071.24);
  expect_same_air(air.atmosphere(86071.24), air.lower_atmosphere(H_below));
  EXPECT_NEAR(H_below.value(), 84852.046, 0.02);
  EXPECT_GT(H_below.value(), layer_height[LAYERS - 1].value());  // isothermal layer 7
  const Real Z_above = standard_geometric_altitude(geopotential_altitude(86071.26));
  expect_same_air(air.atmosphere(86071.26), air.upper_atmosphere(Z_above));

  // h = 86072 m is at Z = 86000.75 m, in the splines.
  const AmbientAir just_above = air.atmosphere(86072.0);
  EXPECT_PRINTS_AS(just_above.sound_speed.value(), (Printed{274.0963, 7}));
  expect_same_air(just_above, air.upper_atmosphere(
                                  standard_geometric_altitude(geopotential_altitude(86072.0))));
}

TEST(ModelSelection, StandardAltitudeOfExactly86KmUsesTheSplines) {
  // Invert the two conversions near the switch, then walk a few ulps to an
  // altitude whose standard geometric altitude is 86000 m to the last bit.
  const long double H = SWITCH_ALTITUDE * R_STANDARD / (R_STANDARD + SWITCH_ALTITUDE);
  const long double ratio = SURFACE_GRAVITY / G0;
  const double estimate = static_cast<double>(H * R_EARTH / (ratio * R_EARTH - H));
  double h = estimate;
  for (int step = 0; step < 64; ++step) h = std::nextafter(h, 0.0);
  for (int step = 0; step < 128; ++step) {
    if (standard_geometric_altitude(geopotential_altitude(h)).value() == 86000.0) break;
    h = std::nextafter(h, 1e9);
  }
  ASSERT_EQ(standard_geometric_altitude(geopotential_altitude(h)).value(), 86000.0)
      << "no altitude near " << estimate << " converts exactly to the switch";

  const Atmosphere& air = standard_air();
  const AmbientAir at_switch = air.atmosphere(h);
  expect_same_air(at_switch, air.upper_atmosphere(SWITCH_ALTITUDE));
  EXPECT_NEAR(at_switch.pressure.value() / upper_pressure[0].value(), 1.0, 1e-12);
  // The layered model would give a density lower by about 2e-5 there.
  const double lower_density = air.lower_atmosphere(geopotential_altitude(h)).density.value();
  EXPECT_GT(std::fabs(lower_density / at_switch.density.value() - 1.0), 1e-5);
}

TEST(ModelSelection, HoldsAltitudesAbove1000KmAtTheTopNode) {
  const Atmosphere& air = standard_air();
  const AmbientAir top = air.upper_atmosphere(TOP_ALTITUDE);
  const AmbientAir far = air.atmosphere(2000000.0);
  expect_same_air(far, top);
  EXPECT_PRINTS_AS(far.pressure.value(), (Printed{7.5138e-9, 5}));
  EXPECT_PRINTS_AS(far.density.value(), (Printed{3.561e-15, 4}));
  EXPECT_PRINTS_AS(far.sound_speed.value(), (Printed{274.0963, 7}));
  // The ceiling takes effect above h ~ 1000469.5 m.
  expect_same_air(air.atmosphere(1000470.0), top);
  EXPECT_GT(air.atmosphere(1000469.0).pressure.value(), top.pressure.value());
}

}  // namespace
}  // namespace ascent
