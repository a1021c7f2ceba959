// Upper stage phase: coast after core separation, ullage burn, ignition and
// thrust ramp, mainstage burn (under the vertical-acceleration law to the
// circular speed of the target orbit, or guided to the target orbit), cutoff,
// coast and separation.
#include <cmath>
#include <string>

#include "base/earth.hpp"
#include "mission/ascent_flight.hpp"
#include "mission/rocket_equation.hpp"
#include "mission/upper_stage_phase.hpp"

namespace ascent {

namespace {

/// A burn that has used this many loads of propellant beyond its own cannot
/// end in the orbit asked for: the stage only hovers, falls or runs away.
constexpr Extended PROPELLANT_LOADS_BEYOND = 1.0L;
/// The least vacuum thrust, as a share of the stage's weight at the surface
/// gravity, that flies an ascent: below it the vertical-acceleration law holds its climb
/// rate by thrust the stage does not have and gains no speed, so the burn
/// would run for years of flight time (at a hundredth of its weight a stage
/// burns two loads within hours).
constexpr Extended LEAST_THRUST_TO_WEIGHT = 0.01L;

}  // namespace

/// Why the mainstage burn can never reach orbit, or `none` while it still
/// can. A state out of range or below the ground ends the flight in any
/// phase (AscentFlight::after_step).
OrbitFailure hopeless_burn(const FlightState& s, Real propellant_load) {
  if (s.mass() <= 0.0L) return OrbitFailure::mass_used_up;
  // Without thrust and sinking, the vehicle only goes deeper into dense air.
  if (s.a <= 0.0L && s.vr <= 0.0L) return OrbitFailure::no_thrust_in_dense_air;
  // The stage's own thrust, in vacuum: the air's back pressure on a stage
  // sinking into it is no weakness of the stage.
  if (s.thrust_vac < LEAST_THRUST_TO_WEIGHT * SURFACE_GRAVITY * s.mass()) {
    return OrbitFailure::thrust_too_weak;
  }
  if (s.m_prop < -PROPELLANT_LOADS_BEYOND * propellant_load) {
    return OrbitFailure::propellant_far_exceeded;
  }
  return OrbitFailure::none;
}

Real final_burn_time(const FlightState& s, Real orbit_speed, Real exhaust_velocity) {
  const Real m = s.stage.m_fixed + s.m_prop;
  const Real x = (orbit_speed - s.vi) / exhaust_velocity;
  if (!(x > 0.0L)) return 0.0L;
  return -propellant_for_speed_gain(m, x) / s.mdot;
}

void AscentFlight::fly_upper_stage_phase() {
  const Vehicle& v = vehicle;
  const UpperStage& stage = v.upper_stage;

  // The upper stage leaves the core and what stays with it.
  s.stage.ref_area = s.force(3).force_area;
  s.stage.exit_area = 0.0L;
  s.m_prop = 0.0L;
  s.stage.m_fixed = s.force(3).force_mass - stage.left_with_core;
  s.stage.pitch_rate = 0.0L;
  s.stage.thrust_rate = 0.0L;
  s.stage.mdot_rate = 0.0L;
  s.dt = 0.2L;
  s.steering.law = HeldAngleSteering{};
  dynamics.rk4_step();

  // Ullage motors settle the propellant.
  s.stage.exit_area = v.ullage.exit_area;
  s.m_prop = s.m_prop + v.ullage_propellant();
  s.stage.m_fixed = s.stage.m_fixed - v.ullage_propellant();
  s.thrust_vac = v.ullage.thrust;
  s.mdot = -s.thrust_vac / v.ullage.exhaust_velocity;
  s.dt = 1.0L;
  dynamics.run_for_time(v.ullage.burn_before_ignition);
  event(FlightEventKind::upper_stage_ignition);

  // Ignition: the main engine's thrust ramps up while the ullage motors burn on.
  s.stage.exit_area = s.stage.exit_area + stage.exit_area;
  s.m_prop = stage.propellant_load + s.m_prop;
  s.stage.m_fixed = s.stage.m_fixed - stage.propellant_load;
  s.stage.thrust_rate = v.ignition_rate();
  s.stage.mdot_rate = -s.stage.thrust_rate / stage.exhaust_velocity;
  s.dt = 1.0L;
  dynamics.run_for_time(stage.ignition_ramp);
  event(FlightEventKind::upper_stage_mainstage);

  // Mainstage, first step up to the next whole second.
  s.stage.thrust_rate = 0.0L;
  s.stage.mdot_rate = 0.0L;
  s.stage.exit_area = stage.exit_area;
  s.thrust_vac = stage.thrust;
  s.mdot = -s.thrust_vac / stage.exhaust_velocity;
  s.dt = 1.0L - (s.t - std::trunc(s.t));
  dynamics.rk4_step();

  if (stage.guidance == UpperStageGuidance::orbit_insertion) {
    burn_to_target_orbit();
  } else {
    burn_to_circular_speed();
  }
  event(FlightEventKind::upper_stage_cutoff);

  s.steering.law = VacuumSteering{};
  s.stage.exit_area = 0.0L;
  s.thrust_vac = 0.0L;
  s.mdot = 0.0L;
  s.dt = 1.0L;
  dynamics.run_for_time(2.9L);
  const Real dV_upper = s.dV - dV_at_core_separation;
  result.upper_stage_delta_v = dV_upper.value();
  event(FlightEventKind::upper_stage_separation, dV_upper);
}

void AscentFlight::burn_to_circular_speed() {
  const Real orbit_speed = vehicle.orbit_speed();
  // Burn until the inertial speed passes the circular speed of the target orbit.
  s.steering.law = VerticalAccelerationLaw{.n = 1.0L};
  s.dt = 1.0L;
  do {
    dynamics.rk4_step();
    const OrbitFailure reason = hopeless_burn(s, vehicle.upper_stage.propellant_load);
    if (reason != OrbitFailure::none && !(s.vi > orbit_speed)) {
      give_up(reason);
    }
  } while (!(s.vi > orbit_speed));
  s.dt = -s.dt;
  dynamics.rk4_step();

  // Last step: the burn time the rocket equation asks for the missing speed.
  // A step back that already leaves the speed reached gets a step of zero
  // length rather than one backwards in time.
  s.dt = final_burn_time(s, orbit_speed, vehicle.upper_stage.exhaust_velocity);
  dynamics.rk4_step();
}

}  // namespace ascent
