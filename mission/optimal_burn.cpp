#include "mission/optimal_burn.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "base/earth.hpp"

namespace ascent {

namespace {

constexpr double MU_D = static_cast<double>(MU);
constexpr double PI_D = 3.14159265358979323846;

/// [s] The longest step of the burn's integration: the thrust acceleration and
/// the primer change over minutes, the orbit over an hour and a half.
constexpr double LONGEST_STEP = 5.0;
constexpr int FEWEST_STEPS = 4;
constexpr int MOST_STEPS = static_cast<int>(LONGEST_BURN / LONGEST_STEP);
/// The burn stays below this share of tau, where the mass would be gone.
constexpr double LONGEST_SHARE_OF_TAU = 0.98;
/// The largest scaled miss of a solution (1 m of radius, 0.01 m/s of speed).
constexpr double CONVERGED = 1e-3;
/// Newton steps from each first guess.
constexpr int FIRST_ITERATIONS = 40;
/// [s] the time scale of the position costate in the unknowns.
constexpr double COSTATE_SCALE = 1000.0;

double dot(const PlaneVector& a, const PlaneVector& b) { return a[0] * b[0] + a[1] * b[1]; }
double norm(const PlaneVector& a) { return std::sqrt(a[0] * a[0] + a[1] * a[1]); }
/// `a` turned a quarter turn forward.
PlaneVector turned(const PlaneVector& a) { return {-a[1], a[0]}; }

BurnArc rates(const BurnArc& s, double acceleration) {
  const double r = norm(s.r);
  const double k = MU_D / (r * r * r);
  const double lv = norm(s.lv);
  const double along = dot(s.r, s.lv) / (r * r);
  BurnArc d{};
  for (std::size_t i = 0; i < 2; ++i) {
    d.r[i] = s.v[i];
    d.v[i] = -k * s.r[i] + acceleration * s.lv[i] / lv;
    // lr' = -G lv with the gravity gradient G = mu / r^3 (3 r r^T / r^2 - I); lv' = -lr.
    d.lr[i] = -k * (3.0 * s.r[i] * along - s.lv[i]);
    d.lv[i] = -s.lr[i];
  }
  return d;
}

BurnArc plus(const BurnArc& s, const BurnArc& d, double h) {
  BurnArc out = s;
  for (std::size_t i = 0; i < 2; ++i) {
    out.r[i] += h * d.r[i];
    out.v[i] += h * d.v[i];
    out.lr[i] += h * d.lr[i];
    out.lv[i] += h * d.lv[i];
  }
  return out;
}

/// [m/s^2] The thrust acceleration `t` seconds into the burn; held beyond
/// the burns sought, where a stage flown on past them would have no mass.
double thrust_acceleration(const BurnStart& start, double t) {
  return start.acceleration / (1.0 - std::min(t / start.tau, LONGEST_SHARE_OF_TAU));
}

BurnArc initial_arc(const BurnStart& start, const BurnSolution& solution) {
  return {{start.radius, 0.0},
          {start.vr, start.vt},
          solution.position_costate,
          {std::cos(solution.primer_angle), std::sin(solution.primer_angle)}};
}

/// The radius, radial and horizontal speed of `target` at the true anomaly
/// `nu`, and their derivatives by it over the eccentricity (which they share,
/// so that on a circle, where any anomaly serves, they still give a direction).
struct EllipsePoint {
  double radius, vr, vt;
  double d_radius, d_vr, d_vt;
};

EllipsePoint on_ellipse(const TargetEllipse& target, double nu) {
  const double rp = target.perigee_radius;
  const double ra = target.apogee_radius;
  const double e = (ra - rp) / (ra + rp);
  const double p = rp * (1.0 + e);
  const double w = std::sqrt(MU_D / p);
  const double q = 1.0 + e * std::cos(nu);
  return {p / q, w * e * std::sin(nu), w * q, p * std::sin(nu) / (q * q), w * std::cos(nu),
          -w * std::sin(nu)};
}

/// The unknowns of Newton's method, each of order one.
using Unknowns = std::array<double, 5>;

Unknowns unknowns(const BurnSolution& s, double burn_scale) {
  return {s.position_costate[0] * COSTATE_SCALE, s.position_costate[1] * COSTATE_SCALE,
          s.primer_angle, s.burn_time / burn_scale, s.insertion_anomaly};
}

BurnSolution solution_of(const Unknowns& z, double burn_scale) {
  return {{z[0] / COSTATE_SCALE, z[1] / COSTATE_SCALE}, z[2], z[3] * burn_scale, z[4]};
}

double largest(const std::array<double, 5>& f) {
  double size = 0.0;
  for (const double x : f) size = std::max(size, std::fabs(x));
  return std::isfinite(size) ? size : INFINITY;
}

/// Solves J dz = -f by Gaussian elimination with partial pivoting.
Unknowns newton_step(std::array<Unknowns, 5> jacobian, std::array<double, 5> f) {
  for (std::size_t c = 0; c < 5; ++c) {
    std::size_t p = c;
    for (std::size_t i = c + 1; i < 5; ++i) {
      if (std::fabs(jacobian[i][c]) > std::fabs(jacobian[p][c])) p = i;
    }
    std::swap(jacobian[c], jacobian[p]);
    std::swap(f[c], f[p]);
    for (std::size_t i = c + 1; i < 5; ++i) {
      const double k = jacobian[i][c] / jacobian[c][c];
      for (std::size_t j = c; j < 5; ++j) jacobian[i][j] -= k * jacobian[c][j];
      f[i] -= k * f[c];
    }
  }
  Unknowns dz{};
  for (std::size_t c = 5; c-- > 0;) {
    double sum = -f[c];
    for (std::size_t j = c + 1; j < 5; ++j) sum -= jacobian[c][j] * dz[j];
    dz[c] = sum / jacobian[c][c];
  }
  return dz;
}

}  // namespace

BurnArc advance_arc(const BurnArc& arc, const BurnStart& start, double from, double span) {
  const int steps = std::clamp(static_cast<int>(std::ceil(std::fabs(span) / LONGEST_STEP)),
                               FEWEST_STEPS, MOST_STEPS);
  const double h = span / steps;
  BurnArc s = arc;
  for (int k = 0; k < steps; ++k) {
    const double t = from + k * h;
    const double a0 = thrust_acceleration(start, t);
    const double a1 = thrust_acceleration(start, t + h / 2.0);
    const double a2 = thrust_acceleration(start, t + h);
    const BurnArc k1 = rates(s, a0);
    const BurnArc k2 = rates(plus(s, k1, h / 2.0), a1);
    const BurnArc k3 = rates(plus(s, k2, h / 2.0), a1);
    const BurnArc k4 = rates(plus(s, k3, h), a2);
    s = plus(s, k1, h / 6.0);
    s = plus(s, k2, h / 3.0);
    s = plus(s, k3, h / 3.0);
    s = plus(s, k4, h / 6.0);
  }
  return s;
}

BurnArc burn_arc(const BurnStart& start, const BurnSolution& solution, double span) {
  return advance_arc(initial_arc(start, solution), start, 0.0, span);
}

std::array<double, 5> burn_misses(const BurnStart& start, const BurnSolution& solution,
                                  const TargetEllipse& target) {
  const BurnArc end = burn_arc(start, solution, solution.burn_time);
  const double r = norm(end.r);
  const PlaneVector radial{end.r[0] / r, end.r[1] / r};
  const PlaneVector horizontal = turned(radial);
  const EllipsePoint aim = on_ellipse(target, solution.insertion_anomaly);
  // The orientation free: the costates see no gain in turning the whole end
  // state about the centre (lr . J r + lv . J v = 0). The anomaly free: none
  // in moving along the ellipse.
  const double turn = dot(end.lr, turned(end.r)) + dot(end.lv, turned(end.v));
  const double along = dot(end.lr, radial) * aim.d_radius + dot(end.lv, radial) * aim.d_vr +
                       dot(end.lv, horizontal) * aim.d_vt;
  return {(r - aim.radius) / 1000.0, (dot(end.v, radial) - aim.vr) / 10.0,
          (dot(end.v, horizontal) - aim.vt) / 10.0, turn / 1000.0, along / 1000.0};
}

std::optional<BurnSolution> solve_optimal_burn(const BurnStart& start, const TargetEllipse& target,
                                               BurnSolution guess, int iterations) {
  const double burn_scale = start.tau;
  Unknowns z = unknowns(guess, burn_scale);
  std::array<double, 5> f = burn_misses(start, guess, target);
  double size = largest(f);
  for (int iteration = 0; iteration < iterations; ++iteration) {
    if (size < CONVERGED) return solution_of(z, burn_scale);
    std::array<Unknowns, 5> jacobian{};
    constexpr double H = 1e-6;
    for (std::size_t j = 0; j < 5; ++j) {
      Unknowns zj = z;
      zj[j] += H;
      const std::array<double, 5> fj = burn_misses(start, solution_of(zj, burn_scale), target);
      for (std::size_t i = 0; i < 5; ++i) jacobian[i][j] = (fj[i] - f[i]) / H;
    }
    const Unknowns dz = newton_step(jacobian, f);
    // Halve the step until it brings the misses down: far from the solution
    // the full step may overshoot into burns that end nowhere near.
    bool better = false;
    for (double share = 1.0; share > 1e-3 && !better; share /= 2.0) {
      Unknowns trial = z;
      for (std::size_t j = 0; j < 5; ++j) trial[j] += share * dz[j];
      if (!(trial[3] > 0.0 && trial[3] < LONGEST_SHARE_OF_TAU &&
            trial[3] * burn_scale < LONGEST_BURN)) {
        continue;
      }
      const std::array<double, 5> ft = burn_misses(start, solution_of(trial, burn_scale), target);
      if (largest(ft) < size) {
        z = trial;
        f = ft;
        size = largest(ft);
        better = true;
      }
    }
    if (!better) return std::nullopt;
  }
  if (size < CONVERGED) return solution_of(z, burn_scale);
  return std::nullopt;
}

BurnSolution first_guess(const BurnStart& start, const TargetEllipse& target, double pitch) {
  const EllipsePoint perigee = on_ellipse(target, 0.0);
  const double dv = std::hypot(perigee.vt - start.vt, start.vr);
  const double burn = start.tau * (1.0 - std::exp(-dv / (start.acceleration * start.tau)));
  const double travel = (start.vt + perigee.vt) / 2.0 * burn / start.radius;
  const PlaneVector first{std::sin(pitch), std::cos(pitch)};
  const PlaneVector last{-std::sin(travel), std::cos(travel)};
  return {{(first[0] - last[0]) / burn, (first[1] - last[1]) / burn},
          std::atan2(first[1], first[0]),
          burn,
          0.0};
}

std::optional<BurnSolution> first_optimal_burn(const BurnStart& start, const TargetEllipse& target) {
  if (!(first_guess(start, target).burn_time < LONGEST_BURN)) return std::nullopt;
  for (const double pitch_deg : {35.0, 20.0, 50.0, 5.0, 65.0, 80.0}) {
    const std::optional<BurnSolution> found =
        solve_optimal_burn(start, target, first_guess(start, target, pitch_deg * PI_D / 180.0),
                           FIRST_ITERATIONS);
    if (found) return found;
  }
  return std::nullopt;
}

}  // namespace ascent
