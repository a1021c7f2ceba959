// Equations of motion of a point mass in polar coordinates about a spherical,
// rotating Earth, with thrust, aerodynamic drag and central gravity, and the
// four steering rules that fix the thrust direction. The evaluation returns
// increments: derivatives already multiplied by the step size dt.
#include <cmath>
#include <string>

#include "atmosphere/drag_coefficient.hpp"
#include "base/extended_math.hpp"
#include "base/runtime_error.hpp"
#include "dynamics/equations_of_motion.hpp"
#include "dynamics/flight_dynamics.hpp"

namespace ascent {

StateVector FlightDynamics::eval_derivatives(const StateVector& trial) {
  const FlightState& s = state;
  const Real dt = s.dt;
  const Real vt = trial.vt;
  const Real vr = trial.vr;

  const Real r = trial.h0 + R_EARTH;
  const Real m = s.m_fixed + trial.m_prop;
  const Real beta = flight_path_angle(vt, vr);

  StateVector k;
  k.h0 = dt * vr;
  k.r0 = dt * (vt * R_EARTH / r - s.v_earth);
  k.pitch = dt * s.pitch_rate;
  k.m_prop = dt * trial.mdot;
  k.mdot = dt * s.mdot_rate;
  k.thrust_vac = dt * s.thrust_rate;
  k.dV = dt * trial.thrust_vac / m;

  if (s.steer_mode == VACUUM_STEERING) {
    // No air: full vacuum thrust at pitch above the inertial flight path.
    const Real phi = trial.pitch + beta;
    const SineCosine thrust_direction = sine_cosine(phi);
    k.vt = dt * ((trial.thrust_vac / m) * thrust_direction.cos - vr * vt / r);
    k.vr = dt * (vt * vt / r + (trial.thrust_vac / m) * thrust_direction.sin - MU / (r * r));
    return k;
  }
  if (s.steer_mode != FLIGHT_PATH_STEERING && s.steer_mode != VERTICAL_ACCEL_LAW &&
      s.steer_mode != HORIZON_STEERING) {
    throw FlightError(
                       "steering mode " + std::to_string(s.steer_mode) + " does not exist");
  }

  const AirPassage& passage = air_passage(trial.h0, vt, vr, s.v_earth);
  const Real vt_rel = passage.rel.vt_rel;
  const Real v_rel = passage.rel.v_rel;
  const Real theta = passage.rel.theta;
  const AirData& ambient = passage.ambient;
  const Real T = effective_thrust(trial.thrust_vac, ambient.pressure, s.exit_area);
  const Real Pq = v_rel * (ambient.density * s.density_scale) * v_rel / 2.0L;
  const Real Cd = passage.Cd * s.drag_scale;
  const Real D = Cd * (s.ref_area * Pq);

  if (s.steer_mode != VERTICAL_ACCEL_LAW) {
    // Drag acts along the Earth-relative flight path. Guidance gives the
    // thrust's angle above the local horizontal directly, as the pitch.
    const Real phi = s.steer_mode == HORIZON_STEERING ? Extended{trial.pitch}
                     : s.steer_rel                    ? trial.pitch + theta
                                                      : s.alpha + beta + trial.pitch;
    const SineCosine thrust_direction = sine_cosine(phi);
    const SineCosine path_direction = sine_cosine(theta);
    k.vt = dt * ((T * thrust_direction.cos - D * path_direction.cos) / m - vr * vt / r);
    k.vr =
        dt * ((T * thrust_direction.sin - D * path_direction.sin) / m + vt * vt / r - MU / (r * r));
    return k;
  }

  // Vertical-acceleration law. The first evaluation after a phase entered the
  // law scales K to the radial acceleration the held angle alpha gives now.
  if (state.vlaw_init) {
    state.vlaw_k = calibrate_vertical_law(T, s.alpha, beta, D, vr, v_rel, m, vt, r, s.vlaw_n);
    state.vlaw_init = false;
  }
  const VerticalLawSteering law =
      steer_vertical_law({s.vlaw_k, s.vlaw_n, vt, vr, r, m, T, D, v_rel, beta, s.maxa});
  if (law.limited) {
    const Real phi = law.alpha_c + beta;
    const SineCosine thrust_direction = sine_cosine(phi);
    k.vt = dt * ((T * thrust_direction.cos - drag_component(D, vt_rel, v_rel)) / m - vr * vt / r);
    k.vr = dt * ((T * thrust_direction.sin - drag_component(D, vr, v_rel)) / m + vt * vt / r -
                 MU / (r * r));
  } else {
    k.vt = dt * ((std::sqrt(T * T - law.Ty * law.Ty) - drag_component(D, vt_rel, v_rel)) / m -
                 vr * vt / r);
    k.vr = dt * law.a_des;
  }
  return k;
}

}  // namespace ascent
