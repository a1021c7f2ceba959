// Equations of motion of a point mass in polar coordinates about a spherical,
// rotating Earth, with thrust, aerodynamic drag and central gravity; the
// steering law fixes the thrust direction. The evaluation returns
// increments: derivatives already multiplied by the step size dt.
#include <variant>

#include "atmosphere/drag_coefficient.hpp"
#include "base/extended_math.hpp"
#include "dynamics/equations_of_motion.hpp"
#include "dynamics/flight_dynamics.hpp"

namespace ascent {

template <class Law>
Accelerations FlightDynamics::accelerations(Law& law, const StateVector& trial, Real r, Real m) {
  const StageParameters& stage = state.stage;
  SteeringInputs in{};
  in.vt = trial.vt;
  in.vr = trial.vr;
  in.r = r;
  in.m = m;
  in.pitch = trial.pitch;
  in.thrust_vac = trial.thrust_vac;
  if constexpr (Law::reads_flight_path_angle) in.beta = flight_path_angle(trial.vt, trial.vr);
  in.alpha = state.steering.alpha;
  in.maxa = state.steering.maxa;
  if constexpr (Law::flies_in_air) {
    const AirPassage& passage =
        air_passage(trial.h0, trial.vt, trial.vr, stage.v_earth, Law::reads_air_path_angle);
    if constexpr (Law::reads_air_path_angle) in.theta = passage.rel.theta;
    in.vt_rel = passage.rel.vt_rel;
    in.v_rel = passage.rel.v_rel;
    const AmbientAir& ambient = passage.ambient;
    in.T = effective_thrust(trial.thrust_vac, ambient.pressure, stage.exit_area);
    const Real Pq = in.v_rel * (ambient.density * stage.density_scale) * in.v_rel / 2.0L;
    const Real Cd = passage.Cd * stage.drag_scale;
    in.D = Cd * (stage.ref_area * Pq);
  }
  return law.accelerations(in);
}

StateVector FlightDynamics::eval_derivatives(const StateVector& trial) {
  const StageParameters& stage = state.stage;
  const Real dt = state.dt;
  const Real vt = trial.vt;
  const Real vr = trial.vr;

  const Real r = trial.h0 + R_EARTH;
  const Real m = stage.m_fixed + trial.m_prop;

  StateVector k;
  k.h0 = dt * vr;
  k.r0 = dt * (vt * R_EARTH / r - stage.v_earth);
  k.pitch = dt * stage.pitch_rate;
  k.m_prop = dt * trial.mdot;
  k.mdot = dt * stage.mdot_rate;
  k.thrust_vac = dt * stage.thrust_rate;
  k.dV = dt * trial.thrust_vac / m;

  const Accelerations a = std::visit(
      [&](auto& law) { return accelerations(law, trial, r, m); }, state.steering.law);
  k.vt = dt * a.vt;
  k.vr = dt * a.vr;
  return k;
}

}  // namespace ascent
