// Pieces of the equations of motion that the derivative evaluation and the
// post-step update share: the motion relative to the air, the effective
// thrust, the drag components, and the formulas of the vertical-acceleration
// law with its one-shot calibration.
//
// Every named quantity is a Real (rounded to 64 bits when stored); the
// formulas run in extended precision, in the order in which they are written.
#pragma once

#include <cmath>
#include <optional>

#include "base/earth.hpp"
#include "base/extended_math.hpp"
#include "base/real.hpp"

namespace ascent {

/// [m/s] below this air-relative horizontal speed the Earth-relative flight
/// path counts as vertical; [N] the same number is the margin of the thrust limit.
inline constexpr Extended STEER_THRESHOLD = 1e-6L;

/// Motion of the vehicle relative to the air, which turns with the Earth.
struct AirRelativeMotion {
  Real vt_rel;  ///< [m/s] horizontal velocity relative to the air
  Real v_rel;   ///< [m/s] speed relative to the air
  Real theta;   ///< [rad] Earth-relative flight-path angle, pi/2 when not moving east
};

/// The air at radius `r` [m] moves east at v_earth scaled by r / R_EARTH.
/// The path angle theta is left to earth_relative_path_angle: an arctangent
/// that not every steering law reads.
inline AirRelativeMotion air_relative_motion(Real vt, Real vr, Real r, Real v_earth) {
  AirRelativeMotion air;
  air.vt_rel = vt - r * v_earth / R_EARTH;
  air.v_rel = std::sqrt(air.vt_rel * air.vt_rel + vr * vr);
  return air;
}

/// [rad] the Earth-relative flight-path angle of the motion `air` with radial velocity `vr`.
inline Real earth_relative_path_angle(const AirRelativeMotion& air, Real vr) {
  // A westward or vanishing relative motion counts as straight up: no obtuse angles.
  return air.vt_rel < STEER_THRESHOLD ? Extended{HALF_PI} : arctangent(vr / air.vt_rel);
}

/// [N] vacuum thrust less the back-pressure loss on the nozzle exits, not below 0.
inline Real effective_thrust(Real thrust_vac, Real pressure, Real exit_area) {
  Real T = thrust_vac - pressure * exit_area;
  if (T < 0.0L) T = 0.0L;
  return T;
}

/// [N] the component D * v / v_rel of the drag along a velocity component v.
/// Without motion relative to the air there is no drag (D = 0) and no
/// direction to divide by: the component is 0 rather than 0/0.
inline Extended drag_component(Real D, Real v, Real v_rel) {
  if (v_rel == 0.0L) return 0.0L;
  return D * v / v_rel;
}

/// |vr|^n as exp(n ln|vr|); 0 at vr = 0 for n > 0, where the logarithm has no value.
inline Extended magnitude_power(Real vr, Real n) {
  const Extended magnitude = std::fabs(Extended{vr});
  if (magnitude == 0.0L) return n == 0.0L ? 1.0L : 0.0L;
  return exponential(n * logarithm(magnitude));
}

/// The coefficient K of the vertical-acceleration law that makes the law
/// demand, at this state, the radial acceleration that thrust at alpha + beta
/// already gives: no jump in the radial acceleration when the law takes over.
/// At vr = 0 the law cannot be scaled to the present acceleration; K is then 0.
Real calibrate_vertical_law(Real T, Real alpha, Real beta, Real D, Real vr, Real v_rel, Real m,
                            Real vt, Real r, Real n);

/// Inputs of the vertical-acceleration law at one state.
struct VerticalLawInputs {
  Real K;      ///< [m/s^2 per (m/s)^n] coefficient of the law
  Real n;      ///< [1] exponent of the law
  Real vt;     ///< [m/s]
  Real vr;     ///< [m/s]
  Real r;      ///< [m] distance from the Earth's centre
  Real m;      ///< [kg] vehicle mass
  Real T;      ///< [N] effective thrust
  Real D;      ///< [N] drag
  Real v_rel;  ///< [m/s] speed relative to the air
  Real beta;   ///< [rad] inertial flight-path angle, atan(vr / vt)
  Real maxa;   ///< [rad] largest |alpha| allowed
  bool operator==(const VerticalLawInputs&) const = default;
};

/// Whether the law would see the same inputs, bit for bit. The radial
/// velocity, which differs between the stages of a step, is compared first.
inline bool same_bits(const VerticalLawInputs& a, const VerticalLawInputs& b) {
  return same_bits(a.vr, b.vr) && same_bits(a.vt, b.vt) && same_bits(a.r, b.r) &&
         same_bits(a.m, b.m) && same_bits(a.T, b.T) && same_bits(a.D, b.D) &&
         same_bits(a.v_rel, b.v_rel) && same_bits(a.beta, b.beta) && same_bits(a.K, b.K) &&
         same_bits(a.n, b.n) && same_bits(a.maxa, b.maxa);
}

/// Thrust direction chosen by the vertical-acceleration law. Where the angle
/// is limited the thrust flies at the limit and reads neither a_des nor Ty:
/// both are 0 when the bound below settled the limit.
struct VerticalLawSteering {
  Real a_des;            ///< [m/s^2] radial acceleration demanded by the law
  Real Ty;               ///< [N] radial thrust, within the thrust limit
  Real alpha_c;          ///< [rad] angle from the inertial flight path, within +-maxa
  bool limited = false;  ///< the angle was cut to +-maxa: the law is not met
  bool operator==(const VerticalLawSteering&) const = default;
};

/// The sine and cosine of the limit maxa to double precision. With them the
/// law first evaluates itself in double precision with a bound on its error,
/// and an angle beyond the limit beyond doubt is set to the limit without the
/// extended exponential, logarithm and arctangent: the same result, which
/// reads only the side of the limit. Most steps of a trimmed ascent fly there.
struct LimitSines {
  double maxa;  ///< [rad] the limit they belong to
  double sine;
  double cosine;
  static LimitSines of(Real maxa) {
    return {maxa.value(), std::sin(maxa.value()), std::cos(maxa.value())};
  }
  bool operator==(const LimitSines&) const = default;
};

/// The law a_des = K |vr|^n (with the sign of vr), the radial thrust it needs,
/// the thrust limit, and the steering angle with its limit to +-maxa.
VerticalLawSteering steer_vertical_law(const VerticalLawInputs& in,
                                       const std::optional<LimitSines>& limit = std::nullopt);

}  // namespace ascent
