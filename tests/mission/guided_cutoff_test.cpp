// Where the guided burn cuts off: a stage dispersed high and fast has the
// target's orbital energy early, far from the insertion point; the burn must
// go on steering to the orbit asked for and cut off there, not at the first
// moment the energy is reached.
#include <gtest/gtest.h>

#include "mission/flight.hpp"
#include "mission/guided_burn.hpp"
#include "mission/sample_thrust.hpp"

namespace ascent::testing {
namespace {

/// [m] how close each apsis comes to the target's from a state far off.
constexpr double APSIS_TOLERANCE = 5000.0;

const FlightState& mainstage(const FlightResult& r) {
  for (const EventRecord& record : r.events) {
    if (record.event.kind == FlightEventKind::upper_stage_mainstage) return record.state;
  }
  ADD_FAILURE() << "no mainstage";
  return r.events.front().state;
}

TEST(GuidedCutoff, AStageDispersedHighAndFastCutsOffOnTheTargetOrbit) {
  Vehicle v;
  v.upper_stage.guidance = UpperStageGuidance::orbit_insertion;
  v.target.perigee = 185e3;
  v.target.apogee = 400e3;
  FlightDynamics dynamics;
  dynamics.state = mainstage(fly(v, sample(), {20.0, 18.0, {}}));
  // 1400 m/s faster along the horizon, 50 km higher and climbing: the
  // target's energy comes some seconds into the burn, far below the
  // insertion point's radius and off its flight path. Cut off there, the
  // orbit would reach from below the ground to some 870 km.
  FlightState& s = dynamics.state;
  s.vt = s.vt + 1400.0L;
  s.vr = s.vr + 100.0L;
  s.h0 = s.h0 + 50000.0L;
  s.stage.thrust_rate = 0.0L;
  s.stage.mdot_rate = 0.0L;
  s.thrust_vac = v.upper_stage.thrust;
  s.mdot = -s.thrust_vac / v.upper_stage.exhaust_velocity;
  ASSERT_EQ(burn_to_target_orbit(dynamics, v), OrbitFailure::none);
  EXPECT_NEAR(s.perigee.value(), 185e3, APSIS_TOLERANCE);
  EXPECT_NEAR(s.apogee.value(), 400e3, APSIS_TOLERANCE);
}

}  // namespace
}  // namespace ascent::testing
