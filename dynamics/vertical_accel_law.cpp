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

namespace {

/// Relative rounding error of one double operation at most.
constexpr double ROUNDOFF = 0x1p-53;
/// Beyond this |Ty / T| the bound leaves the angle to the law: near the
/// vertical the law's own roundings grow as 1 / (1 - (Ty / T)^2).
constexpr double LARGEST_BOUNDED_RATIO = 0.999;
/// A term below this may have lost its relative precision to underflow: the
/// bound takes it as absolute error instead.
constexpr double SMALLEST_NORMAL_TERM = 0x1p-1000;
/// The bound compares sines of beta +- maxa within this many radians of 0,
/// where the sine still rises with the angle.
constexpr double LARGEST_BOUNDED_ANGLE = 1.5;

/// +1 or -1 when the law's angle lies beyond +maxa or -maxa beyond doubt;
/// 0 when it may not, and for any input the bound does not cover (NaN too).
///
/// The law in double precision gives Ty within Ty_error of the value the law
/// forms in extended precision: a few roundings of 2^-53 of each term, taken
/// sixteen-fold, against 2^-64 of the law's own (its |vr|^n included), and
/// what underflow may take from terms near 2^-1074. The thrust is then at
/// asin(Ty / T) above the horizontal, beyond beta + maxa where Ty / T
/// exceeds sin(beta + maxa) = sin(beta) cos(maxa) + cos(beta) sin(maxa),
/// with sin(beta) = vr / v and cos(beta) = vt / v. The margin covers those
/// sines' roundings, the law's arcsine, which is within 1e-15 rad for
/// |Ty / T| <= 0.999, and the rounding of the angle to a double, which must
/// not fall back onto maxa.
int limit_beyond_doubt(const VerticalLawInputs& in, const LimitSines& limit) {
  const double T = in.T.value();
  const double vt = in.vt.value();
  const double vr = in.vr.value();
  const double r = in.r.value();
  const double m = in.m.value();
  const double n = in.n.value();
  const double beta = in.beta.value();
  const double maxa = limit.maxa;
  if (!(T > 0.0 && vt > 0.0 && vr != 0.0 && same_bits(in.maxa, maxa))) return 0;

  const double magnitude = std::fabs(vr);
  const double power = n == 2.0   ? magnitude * magnitude
                       : n == 1.0 ? magnitude
                                  : std::pow(magnitude, n);
  const double a_des = vr < 0.0 ? -(in.K.value() * power) : in.K.value() * power;
  const double centrifugal = vt * vt / r;
  const double gravity = static_cast<double>(MU) / (r * r);
  const double v_rel = in.v_rel.value();
  const double drag = v_rel == 0.0 ? 0.0 : in.D.value() * vr / v_rel;
  const double Ty = m * (a_des - centrifugal + gravity) + drag;
  const double Ty_error =
      16.0 * ROUNDOFF *
          (m * (std::fabs(a_des) + centrifugal + gravity) + std::fabs(drag) + std::fabs(Ty)) +
      (m + 1.0) * SMALLEST_NORMAL_TERM;
  // The thrust limit must certainly not bind, and the sign of Ty be certain.
  if (!(std::fabs(Ty) > Ty_error &&
        T - std::fabs(Ty) - Ty_error > 2.0 * static_cast<double>(STEER_THRESHOLD))) {
    return 0;
  }
  const double ratio = Ty / T;
  const double ratio_error = Ty_error / T + 2.0 * ROUNDOFF * std::fabs(ratio);
  if (!(std::fabs(ratio) + ratio_error <= LARGEST_BOUNDED_RATIO)) return 0;

  const double v = std::sqrt(vt * vt + vr * vr);
  const double sin_beta = vr / v;
  const double cos_beta = vt / v;
  const double margin = 32.0 * ROUNDOFF + 1e-15 + 2.0 * ROUNDOFF * (maxa + std::fabs(beta) + 2.0);
  if (std::fabs(beta + maxa) < LARGEST_BOUNDED_ANGLE &&
      ratio - ratio_error > sin_beta * limit.cosine + cos_beta * limit.sine + margin) {
    return 1;
  }
  if (std::fabs(beta - maxa) < LARGEST_BOUNDED_ANGLE &&
      ratio + ratio_error < sin_beta * limit.cosine - cos_beta * limit.sine - margin) {
    return -1;
  }
  return 0;
}

}  // namespace

VerticalLawSteering steer_vertical_law(const VerticalLawInputs& in,
                                       const std::optional<LimitSines>& limit) {
  VerticalLawSteering out;
  if (limit) {
    if (const int side = limit_beyond_doubt(in, *limit); side != 0) {
      out.alpha_c = side > 0 ? Extended{in.maxa} : -in.maxa;
      out.limited = true;
      return out;
    }
  }
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
