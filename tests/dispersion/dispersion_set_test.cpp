// Dispersion sets: the distributions drawn about the nominal, the drawn
// vehicle and scales, values that cannot be flown, and refused entries.
#include "studies/dispersion_set.hpp"

#include <gtest/gtest.h>

#include "deck/vehicle_checks.hpp"

#include <cmath>
#include <stdexcept>

namespace ascent::studies {
namespace {

Distribution normal(double sigma, bool relative) {
  Distribution d;
  d.sigma = sigma;
  d.relative = relative;
  return d;
}

Distribution uniform(double low, double high, bool relative) {
  Distribution d;
  d.shape = Distribution::Shape::uniform;
  d.low = low;
  d.high = high;
  d.relative = relative;
  return d;
}

struct Moments {
  double mean = 0.0;
  double sigma = 0.0;
  double smallest = INFINITY;
  double largest = -INFINITY;
};

/// Moments of entry `index` over cases 0 .. n-1.
Moments moments(const DispersionSet& set, std::size_t index, int n) {
  Moments m;
  double sum = 0.0, squares = 0.0;
  for (int k = 0; k < n; ++k) {
    const double v = draw_case(set, Vehicle{}, 3, static_cast<std::uint64_t>(k)).values[index];
    sum += v;
    squares += v * v;
    m.smallest = std::min(m.smallest, v);
    m.largest = std::max(m.largest, v);
  }
  m.mean = sum / n;
  m.sigma = std::sqrt(squares / n - m.mean * m.mean);
  return m;
}

TEST(DispersionSet, DrawsHaveTheRequestedMeanAndSpread) {
  DispersionSet set;
  set.add("boosters.propellant", normal(0.005, true));
  set.add("upper_stage.dry_mass", normal(145.0, false));
  set.add("fairing.mass", uniform(-0.02, 0.04, true));
  set.add("scales.drag", uniform(-0.1, 0.1, false));
  constexpr int N = 20000;
  const Vehicle v;
  const double n = N;

  const Moments propellant = moments(set, 0, N);
  const double sigma = 0.005 * v.boosters.propellant;
  EXPECT_NEAR(propellant.mean, v.boosters.propellant, 5.0 * sigma / std::sqrt(n));
  EXPECT_NEAR(propellant.sigma, sigma, 5.0 * sigma / std::sqrt(2.0 * n));

  const Moments dry = moments(set, 1, N);
  EXPECT_NEAR(dry.mean, v.upper_stage.dry_mass, 5.0 * 145.0 / std::sqrt(n));
  EXPECT_NEAR(dry.sigma, 145.0, 5.0 * 145.0 / std::sqrt(2.0 * n));

  const Moments fairing = moments(set, 2, N);
  const double width = 0.06 * v.fairing.mass;
  EXPECT_GE(fairing.smallest, v.fairing.mass * 0.98);
  EXPECT_LE(fairing.largest, v.fairing.mass * 1.04);
  EXPECT_NEAR(fairing.mean, v.fairing.mass * 1.01, 5.0 * width / std::sqrt(12.0 * n));
  EXPECT_NEAR(fairing.sigma, width / std::sqrt(12.0), 0.02 * width);

  const Moments drag = moments(set, 3, N);
  EXPECT_GE(drag.smallest, 0.9);
  EXPECT_LE(drag.largest, 1.1);
  EXPECT_NEAR(drag.mean, 1.0, 5.0 * 0.2 / std::sqrt(12.0 * n));
}

TEST(DispersionSet, DrawnValuesGoIntoTheVehicleAndTheScales) {
  DispersionSet set;
  set.add("core.thrust", normal(0.01, true));
  set.add("scales.booster_thrust", normal(0.01, false));
  set.add("scales.drag", normal(0.05, false));
  set.add("scales.density", normal(0.03, false));
  const DrawnCase drawn = draw_case(set, Vehicle{}, 1, 5);
  ASSERT_EQ(drawn.values.size(), 4u);
  EXPECT_TRUE(drawn.out_of_range.empty());
  EXPECT_EQ(drawn.vehicle.core.thrust, drawn.values[0]);
  EXPECT_NE(drawn.vehicle.core.thrust, Vehicle{}.core.thrust);
  EXPECT_EQ(drawn.booster_thrust_scale, drawn.values[1]);
  EXPECT_EQ(drawn.aero.drag, drawn.values[2]);
  EXPECT_EQ(drawn.aero.density, drawn.values[3]);
  // Everything not dispersed keeps its nominal value.
  Vehicle back = drawn.vehicle;
  back.core.thrust = Vehicle{}.core.thrust;
  EXPECT_EQ(back, Vehicle{});
}

TEST(DispersionSet, ADrawDependsOnTheNameNotOnTheRestOfTheSet) {
  DispersionSet alone;
  alone.add("scales.drag", normal(0.05, false));
  DispersionSet more;
  more.add("core.dry_mass", normal(0.01, true));
  more.add("scales.drag", normal(0.05, false));
  for (std::uint64_t k = 0; k < 20; ++k) {
    EXPECT_EQ(draw_case(alone, Vehicle{}, 9, k).values[0],
              draw_case(more, Vehicle{}, 9, k).values[1]);
  }
}

TEST(DispersionSet, ValuesThatCannotBeFlownAreReported) {
  DispersionSet set;
  set.add("fairing.mass", normal(2.0, true));     // often below 0 kg
  set.add("scales.density", normal(2.0, false));  // often below 0
  int out = 0;
  for (std::uint64_t k = 0; k < 50; ++k) {
    const DrawnCase drawn = draw_case(set, Vehicle{}, 1, k);
    const bool negative_mass = drawn.values[0] < 0.0;
    const bool negative_density = drawn.values[1] < 0.0;
    EXPECT_EQ(!drawn.out_of_range.empty(), negative_mass || negative_density) << k;
    if (negative_mass) {
      EXPECT_EQ(drawn.out_of_range.find("fairing.mass = -"), 0u) << drawn.out_of_range;
    } else if (negative_density) {
      EXPECT_EQ(drawn.out_of_range.find("scales.density = -"), 0u) << drawn.out_of_range;
    }
    out += !drawn.out_of_range.empty();
  }
  EXPECT_GT(out, 10);
}

TEST(DispersionSet, AVehicleADeckWouldRefuseIsReportedNotFlown) {
  // Each value in its range, but a propellant load that no longer fits the
  // stack, as the deck reader says.
  DispersionSet set;
  set.add("upper_stage.propellant_load", uniform(0.0, 4.0, true));  // up to five times the load
  int refused = 0;
  for (std::uint64_t k = 0; k < 40; ++k) {
    const DrawnCase drawn = draw_case(set, Vehicle{}, 1, k);
    const bool fits = !vehicle_conflict(drawn.vehicle);
    EXPECT_EQ(drawn.out_of_range.empty(), fits) << k;
    if (!fits) {
      EXPECT_NE(drawn.out_of_range.find("upper_stage.propellant_load"), std::string::npos);
      EXPECT_NE(drawn.out_of_range.find("does not fit"), std::string::npos);
      ++refused;
    }
  }
  EXPECT_GT(refused, 5);
}

TEST(DispersionSet, RefusesWhatCannotBeDispersed) {
  DispersionSet set;
  set.add("core.thrust", normal(0.01, true));
  EXPECT_THROW(set.add("core.thrust", normal(0.02, true)), InputError);
  EXPECT_THROW(set.add("core.thrust_vac", normal(0.01, true)), InputError);
  EXPECT_THROW(set.add("scales.wind", normal(0.01, true)), InputError);
  EXPECT_THROW(set.add("boosters.count", normal(0.01, true)), InputError);
  EXPECT_THROW(set.add("core.dry_mass", normal(-0.01, true)), InputError);
  EXPECT_THROW(set.add("core.dry_mass", uniform(0.1, -0.1, true)), InputError);
  EXPECT_THROW(set.add("core.dry_mass", normal(NAN, true)), InputError);
  EXPECT_EQ(set.entries().size(), 1u);
  set.add("core.dry_mass", uniform(0.0, 0.0, true));  // a point: allowed
  EXPECT_EQ(set.entries().size(), 2u);
}

}  // namespace
}  // namespace ascent::studies
