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
  s.steering.maxa =
      std::clamp(Extended{maxa_degrees}, -UNLIMITED_ANGLE, UNLIMITED_ANGLE) * PI / 180.0L;
  result.maxa = s.steering.maxa.value();
  result.maxa_flown = true;

  // The core stage with the stage-3 stack on top; the boosters' dry mass is gone.
  s.stage.ref_area = s.force(2).force_area;
  s.stage.exit_area = v.core.exit_area;
  s.thrust_vac = v.core.thrust;
  s.mdot = -s.thrust_vac / v.core.exhaust_velocity;
  s.stage.m_fixed = s.force(3).force_mass + v.core.dry_mass;
  s.stage.pitch_rate = 0.0L;
  s.stage.thrust_rate = 0.0L;
  s.stage.mdot_rate = 0.0L;
  dynamics.rk4_step();  // the rest of the booster record interval

  s.steering.law = VerticalAccelerationLaw{.n = 2.0L};
  s.dt = 1.0L;
  dynamics.run_for_time(v.fairing.jettison_time - s.t);

  event(FlightEventKind::fairing_jettison);
  s.stage.m_fixed = s.stage.m_fixed - v.fairing.mass;
  s.force(3).force_mass = s.force(3).force_mass - v.fairing.mass;

  s.dt = 1.0L;
  dynamics.run_for_time(-s.m_prop / s.mdot);

  // Tail-off: the thrust falls linearly to zero while the last propellant
  // burns, the thrust held at the angle the steering law last set.
  s.m_prop = v.core.tail_off_propellant;
  s.stage.m_fixed = s.stage.m_fixed - v.core.tail_off_propellant;
  const Real tail_off = v.tail_off_time();
  s.stage.thrust_rate = -s.thrust_vac / tail_off;
  s.stage.mdot_rate = -s.stage.thrust_rate / v.core.exhaust_velocity;
  s.dt = 1.0L;
  s.steering.law = HeldAngleSteering{};
  dynamics.run_for_time(tail_off);
  event(FlightEventKind::core_cutoff);

  // The coast to separation, in steps of at most a second like every phase:
  // a long coast flown as one step would leave the orbit far off.
  s.stage.exit_area = 0.0L;
  s.stage.thrust_rate = 0.0L;
  s.stage.mdot_rate = 0.0L;
  s.dt = 1.0L;
  dynamics.run_for_time(v.core.separation_coast);
  dV_at_core_separation = s.dV;
  upper_stage_alone = true;
  event(FlightEventKind::core_separation, s.dV);
}

}  // namespace ascent
