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

/// [m] how close each apsis comes to the target's from a dispersed ignition.
constexpr double APSIS_TOLERANCE = 1000.0;

const FlightState& mainstage(const FlightResult& r) {
  for (const EventRecord& record : r.events) {
    if (record.event.kind == FlightEventKind::upper_stage_mainstage) return record.state;
  }
  ADD_FAILURE() << "no mainstage";
  return r.events.front().state;
}

TEST(GuidedCutoff, AStageDispersedHighAndFastStillCutsOffOnTheTargetOrbit) {
  for (const auto& [perigee, apogee] : {std::pair{200e3, 200e3}, {185e3, 400e3}}) {
    Vehicle v;
    v.upper_stage.guidance = UpperStageGuidance::orbit_insertion;
    v.target.perigee = perigee;
    v.target.apogee = apogee;
    const FlightState ignition = mainstage(fly(v, sample(), {20.0, 18.0, {}}));
    // Faster along the horizon, higher and climbing: the energy of the
    // target comes well before the insertion point's radius and flight path.
    for (const double dvt : {400.0, 800.0}) {
      for (const double dh : {20000.0, 40000.0}) {
        SCOPED_TRACE(std::to_string(apogee) + " m apogee, " + std::to_string(dvt) + " m/s, " +
                     std::to_string(dh) + " m higher");
        FlightDynamics dynamics;
        dynamics.state = ignition;
        FlightState& s = dynamics.state;
        s.vt = s.vt + dvt;
        s.vr = s.vr + 100.0L;
        s.h0 = s.h0 + dh;
        s.stage.thrust_rate = 0.0L;
        s.stage.mdot_rate = 0.0L;
        s.thrust_vac = v.upper_stage.thrust;
        s.mdot = -s.thrust_vac / v.upper_stage.exhaust_velocity;
        ASSERT_EQ(burn_to_target_orbit(dynamics, v), OrbitFailure::none);
        EXPECT_NEAR(s.perigee.value(), perigee, APSIS_TOLERANCE);
        EXPECT_NEAR(s.apogee.value(), apogee, APSIS_TOLERANCE);
      }
    }
  }
}

}  // namespace
}  // namespace ascent::testing
