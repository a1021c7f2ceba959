// The Runge-Kutta step and what it brings up to date after the update:
// derived quantities, the maximum-force table, the run maxima, the held
// steering angle, the row, and the osculating orbit.
#include <gtest/gtest.h>

#include <cmath>

#include "base/earth.hpp"
#include "dynamics/flight_harness.hpp"

namespace ascent::testing {
namespace {

constexpr double R = static_cast<double>(R_EARTH);
constexpr double GM = static_cast<double>(MU);

TEST(StepOfZeroLength, KeepsTheStateAndRecomputesEverythingElse) {
  FlightHarness h(Output::file);
  FlightState& s = h.state();
  set_core_climb(s);
  s.t = 150.0;
  s.dt = 0.0;
  s.vi = s.a = s.sma = s.ecc = s.steering.alpha = -1.0;
  const std::vector<double> before = integrated(s);
  h.sim.rk4_step();
  EXPECT_EQ(integrated(s), before);
  EXPECT_DOUBLE_EQ(s.vi.value(), std::hypot(1600.0, 450.0));
  EXPECT_GT(s.a.value(), 9.0);  // 9.3 MN less back-pressure over 900 t
  EXPECT_GT(s.sma.value(), 0.0);
  EXPECT_GE(s.ecc.value(), 0.0);
  const double vt_rel = 1600.0 - 408.0 * (30000.0 + R) / R;
  EXPECT_NEAR(s.steering.alpha.value(), std::atan(450.0 / vt_rel) - std::atan(450.0 / 1600.0),
              1e-15);
  EXPECT_EQ(s.a_max.value(), s.a.value());
  EXPECT_EQ(s.a_max_t.value(), 150.0);
  EXPECT_EQ(h.file("flight.txt").size(), 79u);  // one row of 77 characters and CR LF
}

TEST(AerodynamicAngle, DynamicPressureTimesTheAngleFromTheAirPathToTheThrust) {
  // A held angle from the inertial path plus a pitch offset: the thrust is
  // at alpha + beta + pitch, the air-relative velocity at theta.
  FlightHarness h(Output::discard);
  FlightState& s = h.state();
  set_core_climb(s);
  s.steering.law = HeldAngleSteering{};
  s.steering.alpha = 0.05;
  s.pitch = 0.01;
  s.t = 80.0;
  s.dt = 0.0;
  h.sim.rk4_step();
  const double vt_rel = 1600.0 - 408.0 * (30000.0 + R) / R;
  const double angle = 0.05 + std::atan(450.0 / 1600.0) + 0.01 - std::atan(450.0 / vt_rel);
  EXPECT_GT(s.q_max.value(), 1000.0);
  EXPECT_NEAR(s.qa_max.value(), s.q_max.value() * std::fabs(angle), 1e-9 * s.qa_max.value());
  EXPECT_EQ(s.qa_max_t.value(), 80.0);

  // Following the Earth-relative path, only the pitch offset is left; in
  // vacuum there is no dynamic pressure and so no load.
  FlightHarness relative(Output::discard);
  FlightState& r = relative.state();
  set_core_climb(r);
  r.pitch = -0.02;
  r.dt = 0.0;
  relative.sim.rk4_step();
  EXPECT_NEAR(r.qa_max.value(), r.q_max.value() * 0.02, 1e-12 * r.qa_max.value());
  FlightHarness vacuum(Output::discard);
  set_vacuum_burn(vacuum.state());
  vacuum.state().steering.alpha = 0.3;
  vacuum.sim.rk4_step();
  EXPECT_EQ(vacuum.state().qa_max.value(), 0.0);
}

TEST(StepBackwards, ReturnsToTheEarlierTimeAndState) {
  FlightHarness h(Output::file);
  FlightState& s = h.state();
  set_vacuum_burn(s);
  s.t = 100.0;
  const std::vector<double> start = integrated(s);
  s.dt = 2.0;
  h.sim.rk4_step();
  s.a_max = 0.0;  // the maximum is reached again on the way back, at the earlier time
  s.dt = -2.0;
  h.sim.rk4_step();
  EXPECT_EQ(s.t.value(), 100.0);
  EXPECT_EQ(s.a_max_t.value(), 100.0);
  const std::vector<double> back = integrated(s);
  for (std::size_t i = 0; i < start.size(); ++i) {
    // Forward and back differ by twice the local error of a 2 s step.
    EXPECT_NEAR(back[i], start[i], 1e-9 * (1.0 + std::fabs(start[i]))) << "component " << i;
  }
  const std::string rows = h.file("flight.txt");
  EXPECT_LT(rows.find(" 102.00"), rows.find(" 100.00"));
}

TEST(OsculatingOrbit, EllipseHyperbolaAndNearlyCircularOrbit) {
  FlightHarness h;
  FlightState& s = h.state();
  const auto orbit_of = [&](double h0, double vt, double vr) {
    set_coast(s, h0, vt, vr);
    s.dt = 0.0;
    h.sim.rk4_step();
    // Perigee radius of the conic, h^2 / (MU (1 + e)), whatever its kind.
    const double momentum = vt * (h0 + R);
    EXPECT_NEAR(s.perigee.value() + R, momentum * momentum / (GM * (1.0 + s.ecc.value())), 1e-6);
  };

  orbit_of(200000.0, 7800.0, 100.0);
  EXPECT_NEAR(s.sma.value(), 6606021.6, 0.05);
  EXPECT_NEAR(s.ecc.value(), 0.0134951, 5e-8);
  EXPECT_NEAR(s.perigee.value(), 138707.8, 0.05);
  EXPECT_NEAR(s.apogee.value(), 317005.5, 0.05);

  orbit_of(200000.0, 12000.0, 500.0);  // above the escape speed of 11 km/s
  EXPECT_LT(s.sma.value(), 0.0);
  EXPECT_GT(s.ecc.value(), 1.0);
  EXPECT_LT(s.apogee.value(), 0.0);

  // One unit in the last place from circular: rounding leaves
  // 1 - (vt r)^2 / (sma MU) at about -4e-18. The orbit is circular.
  orbit_of(200000.0, 7784.2457499610709, 0.0);
  EXPECT_EQ(s.ecc.value(), 0.0);
  EXPECT_EQ(s.perigee.value(), s.apogee.value());
  EXPECT_NEAR(s.perigee.value(), 200000.0, 1e-6);
}

TEST(VacuumSteeringStep, ShowsNoDynamicPressureAndNoDragOnTheStacks) {
  FlightHarness h;
  FlightState& s = h.state();
  set_vacuum_burn(s);
  s.h0 = 15000.0;  // deep in the air
  s.vt = 900.0;
  s.force_count = 3;
  s.force(1) = {30000.0, 60.0, 5000.0, 0.0};  // heavier than the vehicle: never raised
  s.force(2) = {12000.0, 50.0, 0.0, 0.0};
  s.force(3) = {8000.0, 50.0, 1e9, 0.0};  // already higher: kept
  s.t = 10.0;
  h.sim.rk4_step();
  const std::vector<std::string> rows = h.output_lines();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].substr(58, 9), "      0.0");
  EXPECT_EQ(s.force(1).max_force.value(), 5000.0);
  EXPECT_DOUBLE_EQ(s.force(2).max_force.value(), s.a.value() * 12000.0);
  EXPECT_EQ(s.force(2).max_force_t.value(), 11.0);
  EXPECT_EQ(s.force(3).max_force.value(), 1e9);
  EXPECT_EQ(s.force(3).max_force_t.value(), 0.0);
}

TEST(RunMaxima, RaisedByEveryStepAndKeptOnATie) {
  FlightHarness h;
  FlightState& s = h.state();
  set_core_climb(s);
  s.t = 40.0;
  h.sim.rk4_step();
  EXPECT_EQ(s.a_max.value(), s.a.value());
  EXPECT_EQ(s.a_max_t.value(), 41.0);
  EXPECT_GT(s.q_max.value(), 1000.0);
  EXPECT_EQ(s.q_max_t.value(), 41.0);
  // An equal value is not a new maximum: its time stays.
  s.dt = 0.0;
  s.a_max_t = s.q_max_t = -1.0;
  h.sim.rk4_step();
  EXPECT_EQ(s.a_max_t.value(), -1.0);
  EXPECT_EQ(s.q_max_t.value(), -1.0);
}

TEST(HeldSteeringAngle, LawAngleReproducesTheLawsThrustDirection) {
  // The held angle of the law, flown at a held angle from the inertial path, gives
  // the radial acceleration that the law demands: drag included.
  FlightHarness h;
  FlightState& s = h.state();
  set_core_climb(s);
  // K = 2.5e-6 gives 0.51 m/s^2 at 450 m/s, within the thrust.
  s.steering.law = VerticalAccelerationLaw{.n = 2.0, .K = 2.5e-6, .calibrated = true};
  s.steering.maxa = 1.2;
  s.dt = 0.0;
  h.sim.rk4_step();
  s.dt = 1.0;
  const double law = h.sim.eval_derivatives(s).vr.value();
  ASSERT_NEAR(law, 2.5e-6 * 450.0 * 450.0, 1e-12);
  s.steering.law = HeldAngleSteering{};
  EXPECT_NEAR(h.sim.eval_derivatives(s).vr.value(), law, 1e-12);
}

TEST(HeldSteeringAngle, LawIsCalibratedAtTheStartOfTheStep) {
  FlightHarness stepped;
  FlightHarness alone;
  for (FlightHarness* h : {&stepped, &alone}) {
    set_core_climb(h->state());
    h->state().steering = {VerticalAccelerationLaw{.n = 2.0}, 0.1, 0.7};
  }
  stepped.sim.rk4_step();
  (void)alone.sim.eval_derivatives(alone.state());
  const auto& law = std::get<VerticalAccelerationLaw>(stepped.state().steering.law);
  EXPECT_TRUE(law.calibrated);
  EXPECT_EQ(law.K.value(), std::get<VerticalAccelerationLaw>(alone.state().steering.law).K.value());
}

TEST(HeldSteeringAngle, KeptLawSteeringServesOnlyTheSameInputs) {
  // The update after a step keeps the law's steering for the next step's
  // first stage; a stage that changed in between (a lighter vehicle, more
  // back-pressure loss) must get the law's own answer for the new inputs.
  FlightHarness stepped;
  FlightState& s = stepped.state();
  set_core_climb(s);
  s.steering = {VerticalAccelerationLaw{.n = 2.0, .K = 2.5e-6, .calibrated = true}, 0.1, 1.2};
  stepped.sim.rk4_step();
  for (const auto change : {+[](FlightState&) {},
                            +[](FlightState& x) { x.stage.m_fixed = x.stage.m_fixed - 50000.0L; },
                            +[](FlightState& x) { x.stage.exit_area = 20.0; }}) {
    FlightHarness fresh;
    change(s);
    fresh.state() = s;
    std::get<VerticalAccelerationLaw>(fresh.state().steering.law).kept.valid = false;
    const StateVector with_kept = stepped.sim.eval_derivatives(s);
    const StateVector without = fresh.sim.eval_derivatives(fresh.state());
    EXPECT_EQ(with_kept.vt.value(), without.vt.value());
    EXPECT_EQ(with_kept.vr.value(), without.vr.value());
  }
}

TEST(SteeringLaws, EveryRegisteredLawFliesItsOwnStep) {
  // Each law flies a step through the air at 30 km with finite results, in
  // a direction of its own; only the laws that fly in the air meet its drag.
  std::vector<double> vt_after;
  for (const SteeringLaw& law : every_steering_law()) {
    FlightHarness h(Output::discard);
    FlightState& s = h.state();
    set_core_climb(s);
    s.steering = {law, 0.1, 0.5};
    const StepQuantities q = h.sim.rk4_step();
    for (const double x : integrated(s)) EXPECT_TRUE(std::isfinite(x)) << law.index();
    EXPECT_TRUE(std::isfinite(s.steering.alpha.value())) << law.index();
    EXPECT_TRUE(std::isfinite(q.alpha_aero.value())) << law.index();
    EXPECT_EQ(q.Pq > 0.0L, flies_in_air(law)) << law.index();
    for (const double other : vt_after) EXPECT_NE(s.vt.value(), other) << law.index();
    vt_after.push_back(s.vt.value());
  }
}

}  // namespace
}  // namespace ascent::testing
