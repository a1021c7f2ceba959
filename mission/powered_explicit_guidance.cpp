#include "mission/powered_explicit_guidance.hpp"

#include <algorithm>
#include <cmath>

#include "dynamics/gravity.hpp"
#include "dynamics/point_mass_motion.hpp"

namespace ascent {

namespace {

/// The first guess of the cutoff's place is refined this often.
constexpr int FIRST_GUESS_PASSES = 4;
/// The first solution is iterated at most this often.
constexpr int FIRST_PASSES = 50;
/// Passes of each later cycle.
constexpr int CYCLE_PASSES = 2;
/// [1] a solution whose time to go moved less than this share has converged.
constexpr double CONVERGED = 1e-3;
/// [s] the coast arc that carries the gravity of the burn is integrated in steps of at most this.
constexpr double COAST_STEP = 10.0;
constexpr int MOST_COAST_STEPS = 2000;
/// [s] a cycle this close to its full length is due (steps end on events, not on cycles).
constexpr double CYCLE_SLACK = 1e-6;

Vector3 unit_or_zero(const Vector3& x) {
  const double n = x.norm();
  return n > 0.0 ? Vector3(x / n) : Vector3::Zero();
}

bool finite(const Vector3& x) { return x.allFinite(); }

}  // namespace

PoweredExplicitGuidance::PoweredExplicitGuidance(const EarthModel& earth, const InsertionTarget& target,
                                                 GuidanceTiming timing)
    : earth_(earth), target_(target), timing_(timing) {}

std::pair<Vector3, Vector3> PoweredExplicitGuidance::coast(const Vector3& r, const Vector3& v,
                                                           double dt) const {
  const int steps = std::clamp(static_cast<int>(std::ceil(dt / COAST_STEP)), 1, MOST_COAST_STEPS);
  const double h = dt / steps;
  const auto rates = [this](double, const PointMassState& x) {
    return PointMassState{x.velocity, gravity(earth_, x.position), 0.0};
  };
  PointMassState x{r, v, 0.0};
  for (int i = 0; i < steps; ++i) x = rk4_step(x, 0.0, h, rates);
  return {x.position, x.velocity};
}

PoweredExplicitGuidance::Solution PoweredExplicitGuidance::first_guess(const GuidanceState& s) const {
  const Vector3& n = target_.normal;
  Vector3 in_plane = unit_or_zero(s.position - s.position.dot(n) * n);
  if (in_plane.isZero()) in_plane = unit_or_zero(n.cross(Vector3::UnitX()) + n.cross(Vector3::UnitY()));
  const Vector3 ahead = n.cross(in_plane);
  const double gamma = target_.flight_path_angle;
  const double ve = s.thrust / s.mass_flow;
  const double tau = s.mass / s.mass_flow;
  // The cutoff where the burn would take the stage at its mean speed over the
  // rocket equation's burn time, less gravity taken at the arc's middle; a
  // few times, since the velocity to gain depends on the place.
  Solution guess;
  double arc = 0.0;   // [rad] ahead of the stage
  double burn = 0.0;  // [s]
  for (int i = 0; i < FIRST_GUESS_PASSES; ++i) {
    guess.desired_position = target_.radius * (std::cos(arc) * in_plane + std::sin(arc) * ahead);
    const Vector3 ix = guess.desired_position.normalized();
    const Vector3 iz = n.cross(ix);
    const Vector3 middle = 0.5 * (s.position + guess.desired_position);
    guess.velocity_to_go = target_.speed * (std::sin(gamma) * ix + std::cos(gamma) * iz) - s.velocity -
                           burn * gravity(earth_, middle);
    burn = -tau * std::expm1(-guess.velocity_to_go.norm() / ve);
    arc = 0.5 * (s.velocity.norm() + target_.speed) * burn / target_.radius;
  }
  return guess;
}

std::optional<PoweredExplicitGuidance::Solution> PoweredExplicitGuidance::pass(
    const GuidanceState& s, const Solution& from) const {
  const Vector3& r = s.position;
  const Vector3& v = s.velocity;
  const Vector3 iy = -target_.normal;  // UPFG's plane axis points against the angular momentum
  const double ve = s.thrust / s.mass_flow;  // [m/s]
  const double tau = s.mass / s.mass_flow;   // [s] until the whole mass would be burned

  // Time to go: the rocket equation for the velocity still to be gained.
  const Vector3& vgo = from.velocity_to_go;
  const double L = vgo.norm();
  const double tgo = -tau * std::expm1(-L / ve);

  // Thrust integrals: L the velocity, S the distance thrust gives over tgo, and their moments.
  const double J = L * tau - ve * tgo;
  const double S = -J + tgo * L;
  const double Q = S * tau - 0.5 * ve * tgo * tgo;
  const double P = Q * tau - ve * tgo * tgo * tgo / 6.0;
  const double H = J * tgo - Q;

  // Turning rate: lambda along vgo; lambdadot makes the thrust cover the
  // distance to go, whose downrange part is free (only its component along
  // lambda is fixed, to S). The last pass's position bias joins before the
  // downrange part is freed, not after as in Brand et al.: so lambdadot stays
  // normal to lambda. Added after, the bias of a low-thrust stage's wide
  // steering swing (the turning losses along lambda) fed back into lambdadot
  // along lambda and grew from pass to pass.
  Solution out;
  out.lambda = vgo / L;
  const Vector3 r_gravity = from.time_to_go > 0.0
                                ? Vector3(std::pow(tgo / from.time_to_go, 2) * from.gravity_position)
                                : Vector3(-0.5 * earth_.gravitational_parameter * tgo * tgo *
                                          r / std::pow(r.norm(), 3));
  const Vector3& rd = from.desired_position;
  const Vector3 rgo_raw = rd - (r + v * tgo + r_gravity) + from.position_bias;
  const Vector3 iz_cut = unit_or_zero(rd.cross(iy));
  const Vector3 rgo_xy = rgo_raw - iz_cut.dot(rgo_raw) * iz_cut;
  const double rgo_z = (S - out.lambda.dot(rgo_xy)) / out.lambda.dot(iz_cut);
  const Vector3 rgo = rgo_xy + rgo_z * iz_cut;
  out.lambda_rate = (rgo - S * out.lambda) / (Q - S * J / L);
  out.lambda_time = s.t + J / L;
  out.time_to_go = tgo;

  // What that steering gives, and its miss of what is to go.
  const Vector3 now = (out.lambda - out.lambda_rate * J / L).normalized();
  const double phi = std::acos(std::clamp(now.dot(out.lambda), -1.0, 1.0));
  const double phi_rate = -phi * L / J;
  const Vector3 v_thrust =
      (L - 0.5 * L * phi * phi - J * phi * phi_rate - 0.5 * H * phi_rate * phi_rate) * out.lambda;
  const Vector3 r_thrust =
      (S - 0.5 * S * phi * phi - Q * phi * phi_rate - 0.5 * P * phi_rate * phi_rate) * out.lambda -
      (S * phi + Q * phi_rate) * unit_or_zero(out.lambda_rate);
  const Vector3 v_bias = vgo - v_thrust;
  out.position_bias = rgo - r_thrust;

  // Gravity over the burn: a coast arc whose start is shifted to follow the powered one.
  const Vector3 rc1 = r - r_thrust / 10.0 - v_thrust * tgo / 30.0;
  const Vector3 vc1 = v + 1.2 * r_thrust / tgo - v_thrust / 10.0;
  const auto [rc2, vc2] = coast(rc1, vc1, tgo);
  const Vector3 v_gravity = vc2 - vc1;
  out.gravity_position = rc2 - rc1 - vc1 * tgo;

  // The cutoff predicted, moved to the target's radius in its plane, and the
  // velocity the orbit wants there.
  Vector3 rp = r + v * tgo + out.gravity_position + r_thrust;
  rp -= rp.dot(iy) * iy;
  out.desired_position = target_.radius * rp.normalized();
  const Vector3 ix = out.desired_position.normalized();
  const Vector3 iz = ix.cross(iy);
  const double gamma = target_.flight_path_angle;
  const Vector3 vd = target_.speed * (std::sin(gamma) * ix + std::cos(gamma) * iz);
  out.velocity_to_go = vd - v - v_gravity + v_bias;

  const bool ok = std::isfinite(tgo) && tgo > 0.0 && finite(out.lambda) && finite(out.lambda_rate) &&
                  std::isfinite(out.lambda_time) && finite(out.position_bias) &&
                  finite(out.gravity_position) && finite(out.desired_position) &&
                  finite(out.velocity_to_go);
  if (!ok) return std::nullopt;
  return out;
}

void PoweredExplicitGuidance::update(const GuidanceState& now) {
  if (!(now.thrust > 0.0 && now.mass_flow > 0.0 && now.mass > 0.0)) return;
  if (!started_) {
    Solution s = first_guess(now);
    for (int i = 0; i < FIRST_PASSES && !converged_; ++i) {
      const std::optional<Solution> next = pass(now, s);
      if (!next) return;
      converged_ = s.time_to_go > 0.0 &&
                   std::abs(next->time_to_go - s.time_to_go) < CONVERGED * next->time_to_go;
      s = *next;
    }
    solution_ = s;
    started_ = true;
    solved_at_ = now.t;
    last_velocity_ = now.velocity;
    return;
  }
  if (held_ || now.t - solved_at_ < timing_.cycle - CYCLE_SLACK) return;
  const double expected = time_to_go(now.t);
  if (expected < timing_.hold) {
    held_ = true;
    return;
  }
  Solution from = solution_;
  from.velocity_to_go -= now.velocity - last_velocity_;
  // The first pass starts from the velocity to go less the velocity gained,
  // gravity's included; the second from the velocity to go of the state now.
  double previous = expected;
  for (int i = 0; i < CYCLE_PASSES; ++i) {
    const std::optional<Solution> next = pass(now, from);
    if (!next) return;  // the last solution stands
    converged_ = std::abs(next->time_to_go - previous) < CONVERGED * next->time_to_go;
    previous = next->time_to_go;
    from = *next;
  }
  solution_ = from;
  solved_at_ = now.t;
  last_velocity_ = now.velocity;
}

std::optional<Vector3> PoweredExplicitGuidance::direction(double t) const {
  if (!started_) return std::nullopt;
  // Past the cutoff it predicted, the steering keeps the cutoff's direction.
  const double until = std::min(t, solved_at_ + solution_.time_to_go);
  return unit_or_zero(solution_.lambda + solution_.lambda_rate * (until - solution_.lambda_time));
}

}  // namespace ascent
