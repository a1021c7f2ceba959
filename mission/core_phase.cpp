// Core stage phase: from booster separation under the vertical-acceleration
// law to the fairing jettison and on to depletion, the thrust tail-off,
// cutoff, and core separation.
#include <algorithm>

#include "dynamics/earth.hpp"
#include "mission/vehicle.hpp"
#include "run/simulation.hpp"

namespace ascent {

using namespace vehicle;

namespace {

/// [deg] The steering never turns the thrust more than 180 degrees from the
/// flight path, so a limit of a full turn leaves it free. Larger answers are
/// held there: the flight is the same, and the summary and the recommended
/// maxa stay finite (1e308 degrees would make the secant overflow).
constexpr Extended UNLIMITED_ANGLE = 360.0L;

}  // namespace

void Simulation::fly_core_phase() {
  FlightState& s = state;
  io.prompt_real("Maximum angle of attack (degrees)? ", s.maxa);
  s.maxa = std::clamp(Extended{s.maxa}, -UNLIMITED_ANGLE, UNLIMITED_ANGLE) * PI / 180.0L;

  // The core stage with the stage-3 stack on top; the boosters' dry mass is gone.
  s.ref_area = s.force(2).force_area;
  s.exit_area = CORE_EXIT_AREA;
  s.thrust_vac = CORE_THRUST;
  s.mdot = -s.thrust_vac / CORE_EXHAUST_VELOCITY;
  s.m_fixed = s.force(3).force_mass + CORE_DRY_MASS;
  s.pitch_rate = 0.0L;
  s.thrust_rate = 0.0L;
  s.mdot_rate = 0.0L;
  rk4_step();  // the rest of the booster record interval

  s.steer_mode = VERTICAL_ACCEL_LAW;
  s.vlaw_init = true;
  s.vlaw_n = 2.0L;
  s.t_rem = FAIRING_JETTISON_TIME - s.t;
  s.dt = 1.0L;
  run_for_time();

  write_event("PLF Jettison!");
  s.m_fixed = s.m_fixed - FAIRING_MASS;
  s.force(3).force_mass = s.force(3).force_mass - FAIRING_MASS;

  s.t_rem = -s.m_prop / s.mdot;
  s.dt = 1.0L;
  run_for_time();

  // Tail-off: the thrust falls linearly to zero while the last propellant
  // burns, the thrust held at the angle the steering law last set.
  s.m_prop = TAIL_OFF_PROPELLANT;
  s.m_fixed = s.m_fixed - TAIL_OFF_PROPELLANT;
  s.t_rem = s.m_prop * 8841.6L / 9282548.16L;
  s.thrust_rate = -s.thrust_vac / s.t_rem;
  s.mdot_rate = -s.thrust_rate / CORE_EXHAUST_VELOCITY;
  s.dt = 1.0L;
  s.steer_mode = FLIGHT_PATH_STEERING;
  s.steer_rel = false;
  run_for_time();
  write_event("Core Engine Cutoff!");

  s.exit_area = 0.0L;
  s.thrust_rate = 0.0L;
  s.mdot_rate = 0.0L;
  s.dt = SEPARATION_COAST;
  rk4_step();
  write_event(Line{}
                  .text("Core Separation! Vacuum and zero gravity delta-V = ")
                  .fixed(s.dV, 3, 1)
                  .text(" m/s")
                  .view());
  memory.dV_sep = s.dV;
}

}  // namespace ascent
