// The loads of a flight and the vehicle's limits on them, and the unrounded
// spacecraft mass that follows every change of the flight.
#include "mission/load_limits.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "mission/flight.hpp"

namespace ascent::testing {
namespace {

FlightResult fly_sample(const Vehicle& vehicle, double turn_time) {
  static const ThrustHistory thrust =
      ThrustHistory::read(std::filesystem::path(ASCENT_DATA_DIR) / "s1.dat");
  return fly(vehicle, thrust, {turn_time, 22.0, {}});
}

TEST(Loads, ThroughTheHoldTheThrustStaysTheKickAboveTheAirPath) {
  // A turn that outlasts the maximum dynamic pressure holds the kick's pitch
  // offset, 1 s at 0.5 deg/s, above the Earth-relative path: q*alpha is
  // largest where q is, and half of it in Pa*deg.
  const FlightResult r = fly_sample(Vehicle{}, 80.0);
  ASSERT_TRUE(r.in_orbit());
  EXPECT_NEAR(r.maxima.q_alpha, 0.5 * r.maxima.dynamic_pressure, 1e-6 * r.maxima.q_alpha);
  EXPECT_EQ(r.maxima.q_alpha_time, r.maxima.dynamic_pressure_time);
  // A short turn ends before it: the largest q*alpha comes earlier and is smaller.
  const FlightResult short_turn = fly_sample(Vehicle{}, 20.0);
  EXPECT_LT(short_turn.maxima.q_alpha_time, short_turn.maxima.dynamic_pressure_time);
  EXPECT_LT(short_turn.maxima.q_alpha, 0.5 * short_turn.maxima.dynamic_pressure);

  LoadMaxima both = short_turn.maxima;
  both.merge(r.maxima);
  EXPECT_EQ(both.q_alpha, r.maxima.q_alpha);
  EXPECT_EQ(both.q_alpha_time, r.maxima.q_alpha_time);
}

TEST(Loads, TheUnroundedSpacecraftMassFollowsAFractionOfAKilogram) {
  const FlightResult base = fly_sample(Vehicle{}, 80.0);
  Vehicle changed;
  changed.upper_stage.ullage_and_rcs_propellant += 0.3;
  const FlightResult more = fly_sample(changed, 80.0);
  EXPECT_NEAR(more.budget.SC_M_unrounded, base.budget.SC_M_unrounded - 0.3, 1e-6);
  // Five masses are rounded to whole kilograms on the way to SC_M.
  EXPECT_NEAR(base.budget.SC_M, base.budget.SC_M_unrounded, 2.5);
}

TEST(LoadLimits, AnOrbitReachedOverALimitIsOverTheLoadLimit) {
  Vehicle limited;
  limited.limits.max_q_alpha = 20000.0;
  ASSERT_EQ(fly_sample(limited, 80.0).outcome, Outcome::in_orbit);
  limited.limits.max_q_alpha = 10000.0;
  EXPECT_EQ(fly_sample(limited, 80.0).outcome, Outcome::over_load_limit);
}

TEST(LoadLimits, TheBreachIsTheLoadFurthestOverItsLimit) {
  const LoadMaxima loads{40.0, 400.0, 30000.0, 60.0, 12000.0, 40.0};
  EXPECT_FALSE(load_breach(loads, LoadLimits{}));  // 0: no limit
  EXPECT_FALSE(load_breach(loads, LoadLimits{30000.0, 12000.0, 40.0}));  // equal is within

  const std::optional<LoadBreach> q = load_breach(loads, LoadLimits{27000.0, 11500.0, 0.0});
  ASSERT_TRUE(q);  // 11 % over against 4 %
  EXPECT_EQ(q->kind, LoadKind::dynamic_pressure);
  EXPECT_EQ(q->excess(), 3000.0);
  EXPECT_EQ(q->time, 60.0);
  const std::optional<LoadBreach> a = load_breach(loads, LoadLimits{29000.0, 0.0, 20.0});
  ASSERT_TRUE(a);
  EXPECT_EQ(a->kind, LoadKind::axial_acceleration);
  EXPECT_EQ(a->time, 400.0);

  const LoadLimits both = stricter(LoadLimits{30000.0, 0.0, 50.0}, LoadLimits{35000.0, 9000.0, 0.0});
  EXPECT_EQ(both, (LoadLimits{30000.0, 9000.0, 50.0}));
}

}  // namespace
}  // namespace ascent::testing
