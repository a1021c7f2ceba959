// One step of the classical fourth-order Runge-Kutta method, and everything
// brought up to date after it, in this order: speed, flight-path angles,
// thrust acceleration and dynamic pressure; the maximum-force table; the held
// steering angle; the aerodynamic angle and the run maxima; the osculating
// orbit; the listener.
#include <algorithm>
#include <array>
#include <cmath>
#include <variant>

#include "atmosphere/drag_coefficient.hpp"
#include "base/extended_math.hpp"
#include "dynamics/equations_of_motion.hpp"
#include "dynamics/flight_dynamics.hpp"

namespace ascent {

namespace {

/// Raises the largest force seen on each stack lighter than the vehicle: the
/// drag on its area plus its mass times the thrust acceleration.
void raise_maximum_forces(FlightState& s, const StepQuantities& q, Real m) {
  const int entries = std::min<int>(s.force_count, static_cast<int>(s.force_table.size()));
  for (int k = 1; k <= entries; ++k) {
    ForceEntry& entry = s.force(k);
    if (!(entry.force_mass < m)) continue;
    const Real F = q.Cd * q.Pq * entry.force_area + s.a * entry.force_mass;
    if (F > entry.max_force) {
      entry.max_force = F;
      entry.max_force_t = s.t;
    }
  }
}

/// Largest thrust acceleration, dynamic pressure and dynamic pressure times
/// the aerodynamic angle of attack of the flight so far.
void raise_run_maxima(FlightState& s, const StepQuantities& q) {
  if (s.a > s.a_max) {
    s.a_max = s.a;
    s.a_max_t = s.t;
  }
  if (q.Pq > s.q_max) {
    s.q_max = q.Pq;
    s.q_max_t = s.t;
  }
  const Real q_alpha = q.Pq * std::fabs(Extended{q.alpha_aero});
  if (q_alpha > s.qa_max) {
    s.qa_max = q_alpha;
    s.qa_max_t = s.t;
  }
}

/// Semi-major axis, eccentricity, perigee and apogee of the two-body orbit
/// through the present position and inertial velocity (vis-viva and the
/// angular momentum r vt).
void update_osculating_orbit(FlightState& s) {
  const Real r = s.h0 + R_EARTH;
  s.sma = 1.0L / (2.0L / r - (s.vt * s.vt + s.vr * s.vr) / MU);
  const Real e2 = 1.0L - (s.vt * r) * (s.vt * r) / (s.sma * MU);
  // On a nearly circular orbit rounding can leave e2 a hair below 0; the
  // orbit is then circular (ecc 0), not degenerate: ecc 1 would put the
  // perigee at the Earth's centre.
  s.ecc = e2 >= 0.0L ? std::sqrt(Extended{e2}) : 0.0L;
  s.perigee = (1.0L - s.ecc) * s.sma - R_EARTH;
  s.apogee = (1.0L + s.ecc) * s.sma - R_EARTH;
}

}  // namespace

StepQuantities FlightDynamics::rk4_step() {
  FlightState& s = state;

  // Stages: trial states at the start, twice at the middle, at the end.
  std::array<StateVector, 4> k;
  StateVector trial = s;
  k[0] = eval_derivatives(trial);
  for (Real StateVector::*x : StateVector::components) trial.*x = s.*x + 0.5L * (k[0].*x);
  k[1] = eval_derivatives(trial);
  for (Real StateVector::*x : StateVector::components) trial.*x = s.*x + 0.5L * (k[1].*x);
  k[2] = eval_derivatives(trial);
  for (Real StateVector::*x : StateVector::components) trial.*x = s.*x + 1.0L * (k[2].*x);
  k[3] = eval_derivatives(trial);

  for (Real StateVector::*x : StateVector::components) {
    s.*x = s.*x + ((k[2].*x + k[1].*x) * 2.0L + k[0].*x + k[3].*x) / 6.0L;
  }
  s.t = s.t + s.dt;

  // Quantities of the new state.
  StepQuantities q;
  const StageParameters& stage = s.stage;
  const Real r = s.h0 + R_EARTH;
  s.vi = std::sqrt(s.vt * s.vt + s.vr * s.vr);
  const Real m = stage.m_fixed + s.m_prop;
  q.beta = flight_path_angle(s.vt, s.vr);
  const AirPassage& passage = air_passage(s.h0, s.vt, s.vr, stage.v_earth, true);
  const AirRelativeMotion& rel = passage.rel;
  q.theta = rel.theta;
  if (!flies_in_air(s.steering.law)) {
    q.Pq = 0.0L;
    q.T = s.thrust_vac;
    s.a = s.thrust_vac / m;
    q.Cd = 0.0L;
  } else {
    const AmbientAir& ambient = passage.ambient;
    q.Pq = rel.v_rel * (ambient.density * stage.density_scale) * rel.v_rel / 2.0L;
    q.T = effective_thrust(s.thrust_vac, ambient.pressure, stage.exit_area);
    s.a = q.T / m;
    q.Cd = passage.Cd * stage.drag_scale;
  }

  raise_maximum_forces(s, q, m);
  q.D = stage.ref_area * (q.Cd * q.Pq);

  // The held steering angle that the next steps and the table take up, and
  // the angle from the air-relative velocity (at theta) to the thrust: alpha
  // above the inertial path beta plus the law's offset. Its product with the
  // dynamic pressure is the bending load on the airframe.
  Steering& steering = s.steering;
  const SteeringInputs after{
      s.vt,    s.vr,       r,         m,   s.pitch, s.thrust_vac,   q.beta,
      q.theta, rel.vt_rel, rel.v_rel, q.T, q.D,     steering.alpha, steering.maxa};
  const Real offset = std::visit(
      [&](auto& law) {
        steering.alpha = law.held_angle(after);
        return law.aerodynamic_offset(after);
      },
      steering.law);
  q.alpha_aero = steering.alpha + q.beta + offset - q.theta;
  raise_run_maxima(s, q);

  update_osculating_orbit(s);
  if (listener_ != nullptr) listener_->after_step(s, q);
  return q;
}

}  // namespace ascent
