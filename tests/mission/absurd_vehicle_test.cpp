// Vehicles each of whose values lies in its range but which make no sensible
// flight: too weak to climb, a coast as long as the range allows, an upper
// stage of enormous thrust, values as small as a double holds. Each flight
// ends in a few thousand steps at most, every step of at most a second, no
// step the observer sees holds a value that is not finite, and an orbit is
// counted only when it is one.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "mission/flight.hpp"
#include "mission/sample_thrust.hpp"

namespace ascent::testing {
namespace {

/// Checks every step an observer is shown.
struct StepCheck : FlightObserver {
  void on_step(const FlightState& s, const StepQuantities& q) override {
    for (const Real& x : {s.t, s.a, s.vi, s.h0, s.r0, s.steering.alpha, s.stage.m_fixed, s.m_prop,
                          q.beta, q.theta, q.Pq}) {
      if (!std::isfinite(x.value())) ++not_finite;
    }
    if (std::fabs(s.t.value() - last_t) > 1.0 + 1e-9) ++long_steps;
    last_t = s.t.value();
  }
  double last_t = 0.0;
  int not_finite = 0;
  int long_steps = 0;
};

struct Absurd {
  std::string what;
  std::function<void(Vehicle&)> change;
};

TEST(AbsurdVehicle, EveryFlightEndsSoonWithFiniteRowsAndOnlyRealOrbits) {
  constexpr double TINY = std::numeric_limits<double>::denorm_min();
  const std::vector<Absurd> vehicles = {
      {"a core too weak to climb", [](Vehicle& v) { v.core.thrust = 1.0; }},
      {"a core of tiny thrust", [](Vehicle& v) { v.core.thrust = TINY; }},
      {"the longest separation coast", [](Vehicle& v) { v.core.separation_coast = 1000.0; }},
      {"an upper stage of enormous thrust", [](Vehicle& v) { v.upper_stage.thrust = 1e9; }},
      {"an upper stage of tiny thrust", [](Vehicle& v) { v.upper_stage.thrust = TINY; }},
      {"a tiny upper-stage dry mass", [](Vehicle& v) { v.upper_stage.dry_mass = TINY; }},
      {"a tiny core dry mass", [](Vehicle& v) { v.core.dry_mass = TINY; }},
      {"tiny ullage thrust", [](Vehicle& v) { v.ullage.thrust = TINY; }},
  };
  for (const Absurd& absurd : vehicles) {
    SCOPED_TRACE(absurd.what);
    Vehicle vehicle;
    absurd.change(vehicle);
    StepCheck check;
    const FlightResult r = fly(vehicle, sample(), {20.0, 18.0, {}}, &check);
    EXPECT_LT(r.steps, 5000);
    EXPECT_EQ(check.not_finite, 0);
    EXPECT_EQ(check.long_steps, 0);
    if (r.in_orbit()) {
      EXPECT_LE(r.orbit.perigee, r.orbit.apogee);
      EXPECT_TRUE(std::isfinite(r.orbit.apogee));
    }
  }
}

TEST(AbsurdVehicle, AVehicleBelowTheGroundEndsItsFlightThere) {
  Vehicle weak;
  weak.core.thrust = 1.0;
  const FlightResult r = fly(weak, sample(), {20.0, 18.0, {}});
  EXPECT_EQ(r.end, FlightEnd::cannot_reach_orbit);
  EXPECT_EQ(r.failure, OrbitFailure::fell_to_ground);
  EXPECT_FALSE(r.maxa_flown && r.separated());
  EXPECT_LT(r.failure_time, 1000.0);
}

TEST(AbsurdVehicle, ASeparationPastEscapeSpeedIsNoOrbit) {
  // The ignition ramp of a 1 GN engine alone passes the escape speed: its
  // hyperbola's apsides (one of them negative) were printed "in orbit".
  Vehicle strong;
  strong.upper_stage.thrust = 1e9;
  const FlightResult r = fly(strong, sample(), {20.0, 18.0, {}});
  EXPECT_EQ(r.end, FlightEnd::cannot_reach_orbit);
  EXPECT_EQ(r.failure, OrbitFailure::escapes);
  EXPECT_FALSE(r.in_orbit());
  EXPECT_EQ(r.orbit.apogee, 0.0);  // no orbit booked
}

}  // namespace
}  // namespace ascent::testing
