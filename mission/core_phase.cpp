// Core stage phase: from booster separation under the vertical-acceleration
// law to the fairing jettison and on to depletion, the thrust tail-off,
// cutoff, and core separation.
#include <algorithm>

#include "base/earth.hpp"
#include "mission/ascent_flight.hpp"

namespace ascent {

namespace {

/// [deg] The steering never turns the thrust more than 180 degrees from the
/// flight path, so a limit of a full turn leaves it free. Larger answers are
/// held there: the flight is the same, and the summary and the recommended
/// maxa stay finite (1e308 degrees would make the secant overflow).
constexpr Extended UNLIMITED_ANGLE = 360.0L;

}  // namespace

void AscentFlight::fly_core_phase() {
  const Vehicle& v = vehicle;
  const Real maxa_degrees = plan.maxa_at_separation ? plan.maxa_at_separation() : plan.maxa;
  s.maxa = std::clamp(Extended{maxa_degrees}, -UNLIMITED_ANGLE, UNLIMITED_ANGLE) * PI / 180.0L;
  result.maxa = s.maxa.value();
  result.maxa_flown = true;

  // The core stage with the stage-3 stack on top; the boosters' dry mass is gone.
  s.ref_area = s.force(2).force_area;
  s.exit_area = v.core.exit_area;
  s.thrust_vac = v.core.thrust;
  s.mdot = -s.thrust_vac / v.core.exhaust_velocity;
  s.m_fixed = s.force(3).force_mass + v.core.dry_mass;
  s.pitch_rate = 0.0L;
  s.thrust_rate = 0.0L;
  s.mdot_rate = 0.0L;
  dynamics.rk4_step();  // the rest of the booster record interval

  s.steer_mode = VERTICAL_ACCEL_LAW;
  s.vlaw_init = true;
  s.vlaw_n = 2.0L;
  s.t_rem = v.fairing.jettison_time - s.t;
  s.dt = 1.0L;
  dynamics.run_for_time();

  event(FlightEventKind::fairing_jettison);
  s.m_fixed = s.m_fixed - v.fairing.mass;
  s.force(3).force_mass = s.force(3).force_mass - v.fairing.mass;

  s.t_rem = -s.m_prop / s.mdot;
  s.dt = 1.0L;
  dynamics.run_for_time();

  // Tail-off: the thrust falls linearly to zero while the last propellant
  // burns, the thrust held at the angle the steering law last set.
  s.m_prop = v.core.tail_off_propellant;
  s.m_fixed = s.m_fixed - v.core.tail_off_propellant;
  s.t_rem = v.tail_off_time();
  s.thrust_rate = -s.thrust_vac / s.t_rem;
  s.mdot_rate = -s.thrust_rate / v.core.exhaust_velocity;
  s.dt = 1.0L;
  s.steer_mode = FLIGHT_PATH_STEERING;
  s.steer_rel = false;
  dynamics.run_for_time();
  event(FlightEventKind::core_cutoff);

  // The coast to separation, in steps of at most a second like every phase:
  // a long coast flown as one step would leave the orbit far off.
  s.exit_area = 0.0L;
  s.thrust_rate = 0.0L;
  s.mdot_rate = 0.0L;
  s.t_rem = v.core.separation_coast;
  s.dt = 1.0L;
  dynamics.run_for_time();
  dV_at_core_separation = s.dV;
  event(FlightEventKind::core_separation, s.dV);
}

}  // namespace ascent
