// The guided upper stage: it reaches the orbit asked for, the coast after
// cutoff keeps that orbit, the guidance converges from dispersed states at
// ignition, and a target out of reach ends the flight with its reason.
#include <gtest/gtest.h>

#include <filesystem>

#include "mission/flight.hpp"
#include "mission/sample_thrust.hpp"
#include "mission/guided_burn.hpp"

namespace ascent::testing {
namespace {

/// [m] how close each apsis comes to the target's: from the core's own
/// trajectory, and from states at ignition far off it.
constexpr double APSIS_TOLERANCE = 500.0;
constexpr double DISPERSED_APSIS_TOLERANCE = 1000.0;

Vehicle guided(double perigee, double apogee) {
  Vehicle v;
  v.upper_stage.guidance = UpperStageGuidance::orbit_insertion;
  v.target.perigee = perigee;
  v.target.apogee = apogee;
  return v;
}

const FlightState& at_event(const FlightResult& r, FlightEventKind kind) {
  for (const EventRecord& record : r.events) {
    if (record.event.kind == kind) return record.state;
  }
  ADD_FAILURE() << "no event " << static_cast<int>(kind);
  return r.events.front().state;
}

TEST(OrbitInsertion, TheGuidedStageReachesEachTargetAndTheCoastKeepsIt) {
  for (const auto& [perigee, apogee] : {std::pair{200e3, 200e3}, {185e3, 400e3}, {250e3, 250e3}}) {
    for (const double maxa : {14.0, 18.0, 22.0}) {
      const FlightResult r = fly(guided(perigee, apogee), sample(), {20.0, maxa, {}});
      ASSERT_TRUE(r.separated()) << perigee << " " << apogee << " " << maxa;
      EXPECT_NEAR(r.orbit.perigee, perigee, APSIS_TOLERANCE) << apogee << " " << maxa;
      EXPECT_NEAR(r.orbit.apogee, apogee, APSIS_TOLERANCE) << perigee << " " << maxa;
      // The coast to separation flies the orbit of the cutoff, unchanged.
      const FlightState& cutoff = at_event(r, FlightEventKind::upper_stage_cutoff);
      const FlightState& separation = at_event(r, FlightEventKind::upper_stage_separation);
      EXPECT_NEAR(separation.perigee.value(), cutoff.perigee.value(), 1.0);
      EXPECT_NEAR(separation.apogee.value(), cutoff.apogee.value(), 1.0);
      EXPECT_NEAR(separation.sma.value(), cutoff.sma.value(), 1.0);
      EXPECT_GT(separation.t.value(), cutoff.t.value());
    }
  }
}

TEST(OrbitInsertion, TheCircularTargetIsTheAltitudeWithoutApsides) {
  Vehicle v = guided(0.0, 0.0);
  v.target.altitude = 230000.0;
  const FlightResult r = fly(v, sample(), {20.0, 18.0, {}});
  ASSERT_TRUE(r.separated());
  EXPECT_NEAR(r.orbit.perigee, 230000.0, APSIS_TOLERANCE);
  EXPECT_NEAR(r.orbit.apogee, 230000.0, APSIS_TOLERANCE);
}

TEST(OrbitInsertion, TheGuidanceConvergesFromDispersedStatesAtIgnition) {
  const Vehicle v = guided(200e3, 200e3);
  const FlightResult nominal = fly(v, sample(), {20.0, 18.0, {}});
  const FlightState ignition = at_event(nominal, FlightEventKind::upper_stage_mainstage);
  for (const double dvt : {-200.0, 200.0}) {
    for (const double dvr : {-100.0, 100.0}) {
      for (const double dh : {-5000.0, 5000.0}) {
        FlightDynamics dynamics;
        dynamics.state = ignition;
        FlightState& s = dynamics.state;
        s.vt = s.vt + dvt;
        s.vr = s.vr + dvr;
        s.h0 = s.h0 + dh;
        s.stage.thrust_rate = 0.0L;
        s.stage.mdot_rate = 0.0L;
        s.thrust_vac = v.upper_stage.thrust;
        s.mdot = -s.thrust_vac / v.upper_stage.exhaust_velocity;
        ASSERT_EQ(burn_to_target_orbit(dynamics, v), OrbitFailure::none) << dvt << dvr << dh;
        EXPECT_NEAR(s.perigee.value(), 200e3, DISPERSED_APSIS_TOLERANCE) << dvt << dvr << dh;
        EXPECT_NEAR(s.apogee.value(), 200e3, DISPERSED_APSIS_TOLERANCE) << dvt << dvr << dh;
      }
    }
  }
}

TEST(OrbitInsertion, ATargetOutOfReachEndsWithItsReasonAndAShortStageWithNegativePropellant) {
  // Short of propellant: in the orbit asked for, having burned more than it holds.
  const FlightResult short_of = fly(guided(250e3, 250e3), sample(), {20.0, 14.0, {}});
  ASSERT_TRUE(short_of.separated());
  EXPECT_EQ(short_of.outcome, Outcome::short_of_propellant);
  EXPECT_LT(short_of.remaining_propellant, 0.0);
  EXPECT_NEAR(short_of.orbit.perigee, 250e3, APSIS_TOLERANCE);

  // Far out of reach: the stage never gets there, and says why rather than giving an orbit.
  Vehicle weak = guided(900e3, 1000e3);
  weak.upper_stage.propellant_load = 20000.0;
  const FlightResult out_of_reach = fly(weak, sample(), {20.0, 18.0, {}});
  EXPECT_EQ(out_of_reach.end, FlightEnd::cannot_reach_orbit);
  EXPECT_NE(out_of_reach.failure, OrbitFailure::none);
  EXPECT_EQ(out_of_reach.orbit.perigee, 0.0);
}

}  // namespace
}  // namespace ascent::testing
