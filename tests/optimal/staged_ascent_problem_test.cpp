// The optimal ascent problem read from a staged deck: the phases, masses and
// target the deck's elements and triggers give, checked against the Delta III
// benchmark's published phase table (Betts, example 6.15), and the decks
// the optimiser cannot pose refused.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "optimal/delta3_deck.hpp"
#include "studies/optimal_flight.hpp"

namespace ascent::studies {
namespace {

/// [kg] the mass at the start (after the drop) and the end of each phase,
/// its last phase burnt to its longest.
struct PhaseMasses {
  std::vector<double> start, end;
};

PhaseMasses masses(const AscentProblem& problem) {
  PhaseMasses m;
  double mass = problem.liftoff_mass;
  for (const BurnPhase& phase : problem.phases) {
    mass -= phase.dropped_mass;
    m.start.push_back(mass);
    mass -= phase.mass_flow * phase.duration;
    m.end.push_back(mass);
  }
  return m;
}

TEST(StagedAscentProblem, DeltaIIIDeckGivesThePublishedPhases) {
  const AscentProblem problem = delta3();
  ASSERT_EQ(problem.phases.size(), 4U);
  const double durations[] = {75.2, 75.2, 110.6, 700.0};
  // [s] the deck's Isp of eight digits makes the burn times good to 1e-5 s.
  const double burn_time_digits = 1e-5;
  // The benchmark's phase table: start and end masses [kg], the last end free.
  const double starts[] = {301454.0, 158183.9, 72783.8, 23464.0};
  const double ends[] = {171863.9, 79623.8, 32294.0};
  const PhaseMasses m = masses(problem);
  for (std::size_t p = 0; p < 4; ++p) {
    EXPECT_NEAR(problem.phases[p].duration, durations[p], burn_time_digits) << p;
    EXPECT_NEAR(m.start[p], starts[p], 0.1) << p;  // the table's rounding
    if (p < 3) {
      EXPECT_NEAR(m.end[p], ends[p], 0.1) << p;
    }
  }
  // Six solids and the first stage, then three and the first stage.
  EXPECT_NEAR(problem.phases[0].vacuum_thrust, 6 * 628500.0 + 1083100.0, 1e-6);
  EXPECT_NEAR(problem.phases[1].vacuum_thrust, 3 * 628500.0 + 1083100.0, 1e-6);
  EXPECT_NEAR(problem.phases[3].vacuum_thrust, 110094.0, 1e-6);
  for (const BurnPhase& phase : problem.phases) EXPECT_NEAR(phase.drag.reference_area, 4.0 * std::numbers::pi, 1e-9);

  // The target read as perigee and apogee gives back a and e.
  ASSERT_TRUE(problem.target.semi_major_axis && problem.target.eccentricity);
  EXPECT_NEAR(*problem.target.semi_major_axis, 24361140.0, 1e-6);
  EXPECT_NEAR(*problem.target.eccentricity, 0.7308, 1e-12);
  EXPECT_NEAR(*problem.target.inclination / DEG, 28.5, 1e-12);
  EXPECT_NEAR(*problem.target.ascending_node / DEG, 269.8, 1e-12);
  EXPECT_NEAR(*problem.target.argument_of_perigee / DEG, 130.5, 1e-12);
  EXPECT_FALSE(problem.target.circular_radius);
  EXPECT_FALSE(problem.limits.dynamic_pressure || problem.limits.q_alpha || problem.limits.axial_acceleration);
}

TEST(StagedAscentProblem, AFairingDroppedInABurnSplitsItAndLeavesTheThrust) {
  StagedVehicle v = delta3_vehicle();
  Element fairing;
  fairing.name = "fairing";
  fairing.dry_mass = 1500.0;
  // 20 s after the first stage's ignition plus 180 s: at 200 s, in the third phase.
  fairing.jettison = Trigger{Trigger::Kind::after, 0.0, *v.element_named("stage1"), ElementMoment::ignition, 200.0};
  v.elements.push_back(fairing);
  v.limits.max_q_alpha = 9000.0;  // [Pa*deg]
  const AscentProblem problem = ascent_problem(v);
  ASSERT_EQ(problem.phases.size(), 5U);
  EXPECT_NEAR(problem.liftoff_mass, 301454.0 + 1500.0, 1e-6);
  EXPECT_NEAR(problem.phases[2].duration, 200.0 - 150.4, 1e-5);  // the Isp's digits
  EXPECT_NEAR(problem.phases[3].duration, 261.0 - 200.0, 1e-5);
  EXPECT_EQ(problem.phases[3].dropped_mass, 1500.0);
  EXPECT_EQ(problem.phases[3].vacuum_thrust, problem.phases[2].vacuum_thrust);
  // After the fairing, the masses of the deck without it.
  const PhaseMasses m = masses(problem);
  EXPECT_NEAR(m.start[4], 23464.0, 0.1);
  ASSERT_TRUE(problem.limits.q_alpha);
  EXPECT_NEAR(*problem.limits.q_alpha, 9000.0 * DEG, 1e-9);  // [Pa*rad]
}

TEST(StagedAscentProblem, AShutdownBeforeDepletionDropsTheUnburnedPropellant) {
  StagedVehicle v = delta3_vehicle();
  Element& first = v.elements[*v.element_named("stage1")];
  first.shutdown = Trigger{Trigger::Kind::time, 250.0};
  const AscentProblem problem = ascent_problem(v);
  ASSERT_EQ(problem.phases.size(), 4U);
  EXPECT_NEAR(problem.phases[2].duration, 250.0 - 150.4, 1e-5);  // the Isp's digits
  // 11 s of the first stage's 261 s left in its tanks when it drops (its
  // burn time good to 1e-5 s: 0.004 kg of propellant).
  EXPECT_NEAR(problem.phases[3].dropped_mass, 8830.0 + 95550.0 * 11.0 / 261.0, 0.01);
  // Burned or dropped, it is gone when the second stage starts.
  EXPECT_NEAR(masses(problem).start[3], 23464.0, 0.1);
}

TEST(StagedAscentProblem, DecksTheOptimiserCannotPoseAreRefused) {
  StagedVehicle v = delta3_vehicle();
  v.elements[*v.element_named("stage2")].ignition = Trigger{Trigger::Kind::altitude, 100000.0};
  EXPECT_THROW((void)ascent_problem(v), std::invalid_argument);
  v = delta3_vehicle();  // a coast of 10 s between the stages
  v.elements[*v.element_named("stage2")].ignition =
      Trigger{Trigger::Kind::after, 0.0, *v.element_named("stage1"), ElementMoment::burnout, 10.0};
  try {
    (void)ascent_problem(v);
    ADD_FAILURE() << "a coast was posed";
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("261"), std::string::npos) << e.what();
  }
  v = delta3_vehicle();
  v.elements[0].thrust_table = LinearTable({{0.0, 628500.0}, {75.2, 600000.0}});
  EXPECT_THROW((void)ascent_problem(v), std::invalid_argument);
  EXPECT_THROW((void)ascent_problem(delta3_vehicle(), {0.0, 15}), std::invalid_argument);
  // Throttles and relights the collocation does not model.
  v = delta3_vehicle();
  v.elements[0].max_throttle = 0.9;
  EXPECT_THROW((void)ascent_problem(v), std::invalid_argument);
  v = delta3_vehicle();
  v.phases[0].throttle.dynamic_pressure_limit = 30000.0;
  EXPECT_THROW((void)ascent_problem(v), std::invalid_argument);
  v = delta3_vehicle();
  v.elements[*v.element_named("stage2")].relights.push_back({Trigger{Trigger::Kind::apogee}, {}});
  EXPECT_THROW((void)ascent_problem(v), std::invalid_argument);
}

TEST(StagedAscentProblem, ACircularTargetIsMetAsTheEngineFliesIt) {
  // 185 km circular at the pad's latitude, the node free: the conditions
  // are the radius, no radial velocity and the circular speed; the staged
  // engine flying the optimum must find a circle (perigee and apogee within
  // a kilometre of 185 km).
  StagedVehicle v = delta3_vehicle();
  v.target.perigee_altitude = v.target.apogee_altitude = 185000.0;
  v.target.ascending_node.reset();
  v.target.argument_of_perigee.reset();
  const AscentProblem problem = ascent_problem(v, {350.0 / 10, 10});
  ASSERT_TRUE(problem.target.circular_radius);
  EXPECT_FALSE(problem.target.eccentricity || problem.target.argument_of_perigee);
  const AscentOptimum optimum = optimize_ascent(problem);
  ASSERT_EQ(optimum.solution.status, SolveStatus::solved);
  ASSERT_EQ(optimum.elements.size(), 4U);  // radius, radial velocity, speed, inclination
  const StagedResult flown = fly_optimum(v, optimum);
  EXPECT_NEAR(flown.perigee_altitude, 185000.0, 1000.0);
  EXPECT_NEAR(flown.apogee_altitude, 185000.0, 1000.0);
  EXPECT_NEAR(flown.elements.inclination / DEG, 28.5, 0.01);
  // A low circle needs far less energy than the benchmark's ellipse.
  EXPECT_GT(optimum.final_mass, BETTS_FINAL_MASS);
}

}  // namespace
}  // namespace ascent::studies
