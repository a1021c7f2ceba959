// Throttle, relights and coasts of the staged flight engine against closed
// forms: the rocket equation and the burn time of a throttled engine, the
// dynamic pressure held at a phase's limit, the two-body energy of a coast
// and relights that start exactly at their events.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "base/runtime_error.hpp"
#include "dynamics/orbital_elements.hpp"
#include "mission/staged_flight.hpp"
#include "mission/staged_test_vehicles.hpp"

namespace ascent::testing {
namespace {

constexpr double DEG = std::numbers::pi / 180.0;

double speed_gained(const StagedResult& r) {
  return (r.final_state.velocity - r.events.front().state.velocity).norm();
}

TEST(Throttle, AThrottledVacuumBurnLastsLongerForTheRocketEquationsSpeed) {
  StagedVehicle v = vacuum_stage();
  v.elements[0].min_throttle = 0.3;
  v.phases[0].throttle.settings = {{0.0, 0.6}};
  const StagedResult r = fly_staged(v);
  // The mass flow scales with the thrust: 3000 kg at 0.6 * 50 kN / 3000 m/s.
  EXPECT_NEAR(event_named(r, "stage.burnout").t, 3000.0 / (0.6 * 50000.0 / 3000.0), 1e-9);
  EXPECT_NEAR(r.final_state.mass, 1500.0, 1e-6);
  EXPECT_NEAR(speed_gained(r) / (3000.0 * std::log(4500.0 / 1500.0)), 1.0, 1e-9);
}

TEST(Throttle, SettingsHoldFromTheirTimesAndEnginesKeepTheirRange) {
  StagedVehicle v = vacuum_stage();
  v.elements[0].min_throttle = 0.3;
  // Full thrust for 20 s, then 0.1 asked of an engine that runs no lower than 0.3.
  v.phases[0].throttle.settings = {{0.0, 1.0}, {20.0, 0.1}};
  const StagedResult r = fly_staged(v);
  const double flow = 50000.0 / 3000.0;  // [kg/s] at full thrust
  const double left = 3000.0 - 20.0 * flow;
  EXPECT_NEAR(event_named(r, "stage.burnout").t, 20.0 + left / (0.3 * flow), 1e-9);
  const auto at_20 = std::find_if(r.history.begin(), r.history.end(),
                                  [](const StagedSample& s) { return s.t == 20.0; });
  ASSERT_NE(at_20, r.history.end()) << "a setting's time ends a step";
  EXPECT_NEAR(at_20->state.mass, 4500.0 - 20.0 * flow, 1e-9);
  EXPECT_NEAR(speed_gained(r) / (3000.0 * std::log(4500.0 / 1500.0)), 1.0, 1e-9);
}

TEST(Throttle, AnEngineWithoutARangeIgnoresTheCommand) {
  StagedVehicle v = vacuum_stage();
  v.phases[0].throttle.settings = {{0.0, 0.5}};
  EXPECT_NEAR(fly_staged(v).final_time, 3000.0 * 3000.0 / 50000.0, 1e-9);
}

/// A single stage climbing from the equator through the standard atmosphere:
/// 30 t, thrust-to-weight 2 at liftoff, down to 40 % thrust.
StagedVehicle climbing_stage() {
  StagedVehicle v;
  v.target.perigee_altitude = v.target.apogee_altitude = 200000.0;
  Element stage;
  stage.name = "stage";
  stage.dry_mass = 3000.0;
  stage.propellant = 27000.0;
  stage.thrust = 600000.0;
  stage.exhaust_velocity = 3000.0;
  stage.min_throttle = 0.4;
  stage.ignition = Trigger{Trigger::Kind::liftoff};
  v.elements.push_back(stage);
  v.aerodynamics.push_back({Trigger{Trigger::Kind::liftoff}, DragModel{3.0, 0.3, {}}});
  Phase rise;
  rise.name = "rise";
  rise.steering.kind = StagedSteering::Kind::vertical;
  rise.end = Trigger{Trigger::Kind::altitude, 300.0};
  Phase turn;
  turn.name = "turn";
  turn.steering.kind = StagedSteering::Kind::gravity_turn;
  turn.steering.pitch_offset = -4.0 * DEG;
  turn.end = Trigger{Trigger::Kind::after, 0.0, 0, ElementMoment::burnout};
  v.phases = {rise, turn};
  return v;
}

double highest_q(const StagedResult& r) {
  double q = 0.0;
  for (const StagedSample& s : r.history) q = std::max(q, s.dynamic_pressure);
  return q;
}

TEST(Throttle, ADynamicPressureLimitHoldsQAtTheLimit) {
  StagedVehicle v = climbing_stage();
  const StagedResult free = fly_staged(v);
  const double limit = 0.6 * highest_q(free);
  for (Phase& p : v.phases) p.throttle.dynamic_pressure_limit = limit;
  const StagedResult held = fly_staged(v);
  // q never passes the limit by more than it changes between the step's
  // ends (1 s steps), and it rides the limit for a while: the limit shapes the ascent.
  EXPECT_LE(highest_q(held), limit * 1.002);
  int at_limit = 0;
  for (const StagedSample& s : held.history) at_limit += s.dynamic_pressure > limit * (1.0 - 1e-6);
  EXPECT_GE(at_limit, 10);
  // Throttled down, the stage burns longer for the same propellant.
  EXPECT_GT(event_named(held, "stage.burnout").t, event_named(free, "stage.burnout").t + 5.0);
  EXPECT_NEAR(event_named(held, "stage.burnout").state.mass, 3000.0, 1e-6);
}

TEST(Throttle, AThrottleOutsideItsRangeIsRefusedBeforeFlying) {
  StagedVehicle v = vacuum_stage();
  v.elements[0].max_throttle = 1.2;
  EXPECT_THROW((void)fly_staged(v), InputError);
  v = vacuum_stage();
  v.elements[0].min_throttle = 0.9;
  v.elements[0].max_throttle = 0.8;
  EXPECT_THROW((void)fly_staged(v), InputError);
  v = vacuum_stage();
  v.phases[0].throttle.settings = {{0.0, -0.5}};
  EXPECT_THROW((void)fly_staged(v), InputError);
}

/// From the equator through no air: a burn until the orbit's apogee reaches
/// 300 km, a coast to that apogee and a relight there to the 300 km circle.
StagedVehicle relit_stage() {
  StagedVehicle v;
  v.air = AirModel::exponential(0.0, 7200.0);
  v.target.perigee_altitude = v.target.apogee_altitude = 300000.0;
  Element stage;
  stage.name = "stage";
  stage.dry_mass = 1000.0;
  stage.propellant = 9000.0;
  stage.thrust = 250000.0;
  stage.exhaust_velocity = 4500.0;
  stage.ignition = Trigger{Trigger::Kind::liftoff};
  stage.shutdown = Trigger{Trigger::Kind::apogee_altitude, 300000.0};
  stage.relights.push_back({Trigger{Trigger::Kind::apogee}, Trigger{Trigger::Kind::target_energy}});
  v.elements.push_back(stage);
  v.payload = 500.0;
  Phase ascent;
  ascent.name = "ascent";
  ascent.steering.kind = StagedSteering::Kind::pitch_yaw_table;
  ascent.steering.pitch = LinearTable({{0.0, 80.0 * DEG}, {60.0, 30.0 * DEG}, {150.0, 5.0 * DEG}});
  ascent.end = Trigger{Trigger::Kind::after, 0.0, 0, ElementMoment::burnout};
  Phase coast;
  coast.name = "coast";
  coast.steering.kind = StagedSteering::Kind::coast;
  coast.end = Trigger{Trigger::Kind::after, 0.0, 0, ElementMoment::ignition, 0.0, 1};
  Phase circularise;
  circularise.name = "circularise";
  circularise.steering.kind = StagedSteering::Kind::pitch_yaw_table;
  circularise.steering.pitch = LinearTable({{0.0, 0.0}});
  circularise.end = Trigger{Trigger::Kind::after, 0.0, 0, ElementMoment::burnout, 0.0, 1};
  v.phases = {ascent, coast, circularise};
  return v;
}

double energy(const EarthModel& earth, const PointMassState& x) {
  return 0.5 * x.velocity.squaredNorm() - earth.gravitational_parameter / x.position.norm();
}

TEST(Relights, ACoastKeepsItsEnergyAndTheRelightStartsAtItsEvent) {
  const StagedVehicle v = relit_stage();
  const StagedResult r = fly_staged(v);
  ASSERT_EQ(r.outcome, Outcome::in_orbit);
  const StagedEvent& off = event_named(r, "stage.burnout");
  const StagedEvent& on = event_named(r, "stage.ignition2");
  const double mu = v.earth.gravitational_parameter;
  const double R = v.earth.equatorial_radius;
  // The first burn stops where the orbit's apogee reaches 300 km.
  const OrbitalElements coasting = orbital_elements(mu, off.state.position, off.state.velocity);
  EXPECT_NEAR(coasting.apogee_radius() - R, 300000.0, 1e-3);
  // The coast keeps the two-body energy (RK4 over 1 s steps of a ~90 min orbit).
  const double e0 = energy(v.earth, off.state);
  int coasting_steps = 0;
  for (const StagedSample& s : r.history) {
    if (s.t <= off.t || s.t > on.t) continue;
    ++coasting_steps;
    EXPECT_NEAR(energy(v.earth, s.state) / e0, 1.0, 1e-10) << s.t;
  }
  EXPECT_GT(coasting_steps, 100);
  // The relight comes at the apogee of the coasting orbit, and the coast ends with it.
  EXPECT_NEAR(on.state.velocity.dot(on.state.position.normalized()), 0.0, 1e-6);
  EXPECT_NEAR(on.state.position.norm(), coasting.apogee_radius(), 0.01);
  EXPECT_EQ(event_named(r, "coast.end").t, on.t);
  EXPECT_EQ(on.state.mass, off.state.mass);
  // The second burn ends on the target's energy, with the propellant left after both.
  EXPECT_NEAR(r.elements.semi_major_axis, v.target_semi_major_axis(), 1e-3);
  EXPECT_NEAR(r.remaining_propellant, r.final_state.mass - 1500.0, 1e-6);
}

TEST(Relights, AnEngineIsLitNoMoreOftenThanItsBurns) {
  StagedVehicle v = relit_stage();
  // The second burn stops after 5 s; nothing lights it again.
  v.elements[0].relights[0].shutdown = Trigger{Trigger::Kind::after, 5.0, 0, ElementMoment::ignition, 5.0, 1};
  v.phases[2].end = Trigger{Trigger::Kind::elapsed, 100.0};
  const StagedResult r = fly_staged(v);
  int ignitions = 0;
  for (const StagedEvent& e : r.events) ignitions += e.name.rfind("stage.ignition", 0) == 0;
  EXPECT_EQ(ignitions, 2);
  const StagedEvent& on = event_named(r, "stage.ignition2");
  EXPECT_NEAR(event_named(r, "stage.burnout2").t - on.t, 5.0, 1e-9);
  EXPECT_NEAR(on.state.mass - event_named(r, "stage.burnout2").state.mass, 5.0 * 250000.0 / 4500.0, 1e-6);
}

}  // namespace
}  // namespace ascent::testing
