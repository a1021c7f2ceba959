#include "mission/orbit_insertion_guidance.hpp"

#include <algorithm>
#include <cmath>

#include "base/earth.hpp"
#include "base/extended_math.hpp"

namespace ascent {

namespace {

/// [s] Below this time to go the energy decides the cutoff.
constexpr Extended FINAL_TIME_TO_GO = 10.0L;
/// [s] Below this time to go the steering is no longer solved but flown on:
/// the equations grow ill-conditioned as the time to go vanishes.
constexpr Extended FREEZE_TIME_TO_GO = 4.0L;
/// Solutions per cycle at most, and the change of the time to go [s] that ends them.
constexpr int MAX_ITERATIONS = 12;
constexpr Extended CONVERGED = 1e-2L;
/// The time to go stays below this share of tau, the time that would burn
/// the whole mass: there the logarithm of the ideal velocity gain diverges.
constexpr Extended LONGEST_SHARE_OF_TAU = 0.999L;

/// Steps of the quadrature of the horizontal velocity gain.
constexpr int GAIN_STEPS = 8;
/// The horizontal share of the thrust taken at the end of the burn for the
/// Newton step on the time to go: never so small that the step runs away.
constexpr Extended MIN_HORIZONTAL_SHARE = 0.1L;

/// cos of the pitch whose sine is the radial share fr, held to [-1, 1].
Extended horizontal_share(Extended fr) {
  const Extended held = std::clamp(fr, -1.0L, 1.0L);
  return std::sqrt(1.0L - held * held);
}

/// [m/s] The horizontal velocity the thrust gives over a burn of T seconds
/// with the radial share going linearly from fr to fr_end (Simpson's rule).
Extended horizontal_gain(Extended a0, Extended tau, Extended T, Extended fr, Extended fr_end) {
  const auto integrand = [&](int i) {
    const Extended share = static_cast<Extended>(i) / GAIN_STEPS;
    return a0 / (1.0L - share * T / tau) * horizontal_share(fr + (fr_end - fr) * share);
  };
  Extended sum = integrand(0) + integrand(GAIN_STEPS);
  for (int i = 1; i < GAIN_STEPS; ++i) sum += (i % 2 == 1 ? 4.0L : 2.0L) * integrand(i);
  return sum * T / (3.0L * GAIN_STEPS);
}

/// [rad] arcsin of x held to [-1, 1].
Extended arcsine(Extended x) {
  const Extended held = std::clamp(x, -1.0L, 1.0L);
  const Extended c = std::sqrt(1.0L - held * held);
  if (c == 0.0L) return held > 0.0L ? HALF_PI : -HALF_PI;
  return arctangent(held / c);
}

}  // namespace

InsertionPoint insertion_point(const TargetOrbit& target) {
  const Extended rp = R_EARTH + target.perigee_altitude();
  const Extended ra = R_EARTH + target.apogee_altitude();
  const Extended sma = (rp + ra) / 2.0L;
  return {rp, std::sqrt(MU * (2.0L / rp - 1.0L / sma)), -MU / (2.0L * sma)};
}

Real orbital_energy(Real vt, Real vr, Real h0) {
  return (vt * vt + vr * vr) / 2.0L - MU / (h0 + R_EARTH);
}

OrbitInsertionGuidance::OrbitInsertionGuidance(const InsertionPoint& target, Real exhaust_velocity)
    : target_(target), ve_(exhaust_velocity) {}

Real OrbitInsertionGuidance::balance(Real r, Real vt, Real acceleration) {
  return (MU / (r * r) - vt * vt / r) / acceleration;
}

void OrbitInsertionGuidance::solve_radial(const GuidanceInput& in, Real r, Real tau) {
  const Extended T = time_to_go_;
  // Integrals of the thrust acceleration over the burn: b0 the velocity gain,
  // b1 its first moment; c0, c1 the same for the distance.
  const Extended b0 = -ve_ * logarithm(1.0L - T / tau);
  const Extended b1 = b0 * tau - ve_ * T;
  const Extended c0 = b0 * T - b1;
  const Extended c1 = c0 * tau - ve_ * T * T / 2.0L;
  // The radial speed and the radius at the end: b0 A + b1 B = -vr, c0 A + c1 B = rT - r - vr T.
  const Extended dv = -in.vr;
  const Extended dr = target_.radius - r - in.vr * T;
  const Extended det = b0 * c1 - b1 * c0;
  A_ = (dv * c1 - b1 * dr) / det;
  B_ = (b0 * dr - c0 * dv) / det;
}

void OrbitInsertionGuidance::solve_steering(const GuidanceInput& in, Real r, Real tau) {
  solve_radial(in, r, tau);
  const Extended T = time_to_go_;

  // The time to go that supplies the missing angular momentum: the
  // horizontal thrust over the burn, with the radial share varying linearly
  // from now to the end, must give dh / r. One Newton step on T per solution.
  const Extended a_end = in.acceleration / (1.0L - T / tau);
  const Extended fr = A_ + balance(r, in.vt, in.acceleration);
  const Extended fr_end =
      A_ + B_ * T + balance(target_.radius, target_.horizontal_speed, a_end);
  const Extended mean_radius = (r + target_.radius) / 2.0L;
  const Extended needed = (target_.radius * target_.horizontal_speed - r * in.vt) / mean_radius;
  const Extended supplied = horizontal_gain(in.acceleration, tau, T, fr, fr_end);
  const Extended slope = a_end * std::max(horizontal_share(fr_end), MIN_HORIZONTAL_SHARE);
  // Far from the solution the slope misleads: no step changes T by more than a quarter.
  const Extended step = std::clamp((needed - supplied) / slope, -T / 4.0L, T / 4.0L);
  time_to_go_ = std::clamp(T + step, FREEZE_TIME_TO_GO / 4.0L, LONGEST_SHARE_OF_TAU * tau);
}

bool OrbitInsertionGuidance::in_final_seconds() const {
  return time_to_go_ < FINAL_TIME_TO_GO;
}

PitchCommand OrbitInsertionGuidance::steer(const GuidanceInput& in, Real dt) {
  const Real r = in.h0 + R_EARTH;
  const Real tau = ve_ / in.acceleration;
  if (!started_) {
    // First guess: the rocket equation for the horizontal speed missing.
    const Extended gain = std::max(Extended{target_.horizontal_speed - in.vt}, 1.0L);
    time_to_go_ = std::min(tau * (1.0L - exponential(-gain / ve_)), LONGEST_SHARE_OF_TAU * tau);
    started_ = true;
  }
  if (!frozen_) {
    bool converged = false;
    for (int i = 0; i < MAX_ITERATIONS && !converged; ++i) {
      const Real before = time_to_go_;
      solve_steering(in, r, tau);
      converged = std::fabs(Extended{time_to_go_ - before}) < CONVERGED;
    }
    frozen_for_ = 0.0L;
    // Only a converged time to go may end the solving.
    frozen_ = converged && time_to_go_ < FREEZE_TIME_TO_GO;
  }
  const Extended C = balance(r, in.vt, in.acceleration);
  const Extended start = arcsine(A_ + B_ * frozen_for_ + C);
  const Extended end = arcsine(A_ + B_ * (frozen_for_ + dt) + C);
  if (frozen_) frozen_for_ = frozen_for_ + dt;
  // The next cycle starts from the time to go it should find.
  time_to_go_ = time_to_go_ - dt;
  return {start, (end - start) / dt};
}

}  // namespace ascent
