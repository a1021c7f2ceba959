// Upper stage phase: coast after core separation, ullage burn, ignition and
// thrust ramp, mainstage burn under the vertical-acceleration law to the
// circular speed at 200 km, cutoff, coast and separation; then the summary.
#include <cmath>
#include <string>

#include "dynamics/earth.hpp"
#include "mission/flight_summary.hpp"
#include "mission/rocket_equation.hpp"
#include "mission/upper_stage_phase.hpp"
#include "mission/vehicle.hpp"
#include "run/simulation.hpp"

namespace ascent {

using namespace vehicle;

namespace {

bool is_finite(const FlightState& s) {
  return std::isfinite(s.vi.value()) && std::isfinite(s.h0.value());
}

/// Why the mainstage burn can never reach orbit speed, or null while it still can.
const char* hopeless_burn(const FlightState& s) {
  if (!is_finite(s)) return "the state is no longer finite";
  if (s.h0 < 0.0L) return "the vehicle fell back to the ground";
  if (s.mass() <= 0.0L) return "its mass is used up";
  // Without thrust and sinking, the vehicle only goes deeper into dense air.
  if (s.a <= 0.0L && s.vr <= 0.0L) return "the effective thrust fell to zero in dense air";
  return nullptr;
}

/// Ends the run: the upper stage can never reach orbit speed, for `reason`.
[[noreturn]] void give_up(const char* reason, const FlightState& s) {
  throw RunAbandoned(std::string(Line{}
                                     .text("Error! Upper stage cannot reach orbit speed: ")
                                     .text(reason)
                                     .text(" at t = ")
                                     .fixed(s.t, 1, 2)
                                     .text(" s.")
                                     .view()));
}

}  // namespace

Real final_burn_time(const FlightState& s) {
  const Real m = s.m_fixed + s.m_prop;
  const Real x = (ORBIT_SPEED - s.vi) / S3_EXHAUST_VELOCITY;
  if (!(x > 0.0L)) return 0.0L;
  return -propellant_for_speed_gain(m, x) / s.mdot;
}

void Simulation::fly_upper_stage_phase() {
  FlightState& s = state;

  // A stack that separated below the ground has crashed: the ever denser air
  // down there would only drive the numbers out of range.
  if (s.h0 < 0.0L || !is_finite(s)) give_up(hopeless_burn(s), s);

  // The upper stage leaves the core and what stays with it.
  s.ref_area = s.force(3).force_area;
  s.exit_area = 0.0L;
  s.m_prop = 0.0L;
  s.m_fixed = s.force(3).force_mass - 3752.0L;
  s.pitch_rate = 0.0L;
  s.thrust_rate = 0.0L;
  s.mdot_rate = 0.0L;
  s.dt = 0.2L;
  s.steer_mode = FLIGHT_PATH_STEERING;
  s.steer_rel = false;
  rk4_step();

  // Ullage motors settle the propellant.
  s.exit_area = ULLAGE_EXIT_AREA;
  s.m_prop = s.m_prop + ULLAGE_PROPELLANT;
  s.m_fixed = s.m_fixed - ULLAGE_PROPELLANT;
  s.thrust_vac = ULLAGE_THRUST;
  s.mdot = -s.thrust_vac / ULLAGE_EXHAUST_VELOCITY;
  s.t_rem = 3.2L;
  s.dt = 1.0L;
  run_for_time();
  write_event("Upper Stage Ignition!");

  // Ignition: the main engine's thrust ramps up while the ullage motors burn on.
  s.exit_area = s.exit_area + S3_EXIT_AREA;
  s.m_prop = S3_PROPELLANT_LOAD + s.m_prop;
  s.m_fixed = s.m_fixed - S3_PROPELLANT_LOAD;
  s.thrust_rate = S3_IGNITION_RATE;
  s.mdot_rate = -s.thrust_rate / S3_EXHAUST_VELOCITY;
  s.t_rem = 2.6L;
  s.dt = 1.0L;
  run_for_time();
  write_event("Upper Stage Mainstage!");

  // Mainstage, first step up to the next whole second.
  s.thrust_rate = 0.0L;
  s.mdot_rate = 0.0L;
  s.exit_area = S3_EXIT_AREA;
  s.thrust_vac = S3_THRUST;
  s.mdot = -s.thrust_vac / S3_EXHAUST_VELOCITY;
  s.dt = 1.0L - (s.t - std::trunc(s.t));
  rk4_step();

  // Burn until the inertial speed passes the circular speed at 200 km.
  s.steer_mode = VERTICAL_ACCEL_LAW;
  s.vlaw_init = true;
  s.vlaw_n = 1.0L;
  s.dt = 1.0L;
  do {
    rk4_step();
    const char* reason = hopeless_burn(s);
    if (reason != nullptr && (!is_finite(s) || !(s.vi > ORBIT_SPEED))) {
      give_up(reason, s);
    }
  } while (!(s.vi > ORBIT_SPEED));
  s.dt = -s.dt;
  rk4_step();

  // Last step: the burn time the rocket equation asks for the missing speed.
  // A step back that already leaves the speed reached gets a step of zero
  // length rather than one backwards in time.
  s.dt = final_burn_time(s);
  rk4_step();
  write_event("Upper Stage Engine Cutoff!");

  s.steer_mode = VACUUM_STEERING;
  s.exit_area = 0.0L;
  s.thrust_vac = 0.0L;
  s.mdot = 0.0L;
  s.dt = 1.0L;
  s.t_rem = 2.9L;
  run_for_time();
  write_event("Upper Stage Separation!");

  const Real dV_upper = s.dV - memory.dV_sep;
  io.output().write_line(Line{}
                             .text("Vacuum and zero gravity delta-V = ")
                             .fixed(dV_upper, 3, 1)
                             .text(" m/s"));
  memory.dV_sep = s.dV;
  write_flight_summary(*this, dV_upper);
}

}  // namespace ascent
