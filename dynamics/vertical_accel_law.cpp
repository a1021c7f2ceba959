// The vertical-acceleration law's formulas: the radial acceleration
// follows K |vr|^n and the thrust angle that achieves it is held within
// +-maxa of the inertial flight path.
#include <cmath>

#include "base/extended_math.hpp"
#include "dynamics/equations_of_motion.hpp"

namespace ascent {

Real calibrate_vertical_law(Real T, Real alpha, Real beta, Real D, Real vr, Real v_rel, Real m,
                            Real vt, Real r, Real n) {
  const Extended power = magnitude_power(vr, n);
  if (power == 0.0L) return 0.0L;
  return ((T * sine(alpha + beta) - drag_component(D, vr, v_rel)) / m + vt * vt / r -
          MU / (r * r)) /
         power;
}

VerticalLawSteering steer_vertical_law(const VerticalLawInputs& in) {
  VerticalLawSteering out;
  out.a_des = in.K * magnitude_power(in.vr, in.n);
  if (in.vr < 0.0L) out.a_des = -out.a_des;

  out.Ty = in.m * (out.a_des - in.vt * in.vt / in.r + MU / (in.r * in.r)) +
           drag_component(in.D, in.vr, in.v_rel);

  // Thrust limit: a demand beyond the thrust available points the thrust
  // straight up or straight down.
  if (in.T < out.Ty + STEER_THRESHOLD) {
    out.Ty = in.T;
  } else if (in.T < STEER_THRESHOLD - out.Ty) {
    out.Ty = -in.T;
  }

  // psi = arcsin(|Ty| / T), the thrust angle above the horizontal. Without
  // thrust the direction does not matter: psi = pi/2 avoids 0/0. With no
  // radial thrust at all psi is 0, the limit of the formula, without 1/0.
  Real psi;
  if (in.T == 0.0L) {
    psi = HALF_PI;
  } else if (out.Ty == 0.0L) {
    psi = 0.0L;
  } else {
    const Extended ratio = out.Ty / in.T;
    const Real x = std::sqrt(1.0L / (ratio * ratio) - 1.0L);
    psi = x == 0.0L ? HALF_PI : arctangent(1.0L / x);
  }

  out.alpha_c = out.Ty > 0.0L ? psi - in.beta : -psi - in.beta;
  out.limited = std::fabs(Extended{out.alpha_c}) > in.maxa;
  if (out.limited) out.alpha_c = out.alpha_c > 0.0L ? Extended{in.maxa} : -in.maxa;
  return out;
}

}  // namespace ascent
