// The guided burn against the optimal burn from the same ignition state: the
// thrust along the primer vector (Lawden) in the same central field, with the
// same thrust and mass flow, found here on its own by shooting on the initial
// costates and the burn time to a point of the target orbit, its place about
// the Earth free. Where the point on an ellipse is free, the reference seeks
// the least burn over the points directly, not by the guidance's conditions.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "base/earth.hpp"
#include "mission/flight.hpp"
#include "mission/guided_burn.hpp"
#include "sample_thrust.hpp"

namespace ascent::testing {
namespace {

using Vec = std::array<double, 2>;

/// Position, velocity, mass and the costates of position and velocity.
struct Arc {
  Vec r, v;
  double m;
  Vec lr, lv;
};

struct Engine {
  double thrust;  ///< [N]
  double mdot;    ///< [kg/s] > 0
};

Arc rates(const Arc& s, const Engine& e) {
  const double mu = static_cast<double>(MU);
  const double rr = std::hypot(s.r[0], s.r[1]);
  const double r3 = rr * rr * rr;
  const double lv = std::hypot(s.lv[0], s.lv[1]);
  const double a = e.thrust / s.m;
  Arc d{};
  d.r = s.v;
  for (int i = 0; i < 2; ++i) d.v[i] = -mu * s.r[i] / r3 + a * s.lv[i] / lv;
  d.m = -e.mdot;
  // lr' = -G lv, G = mu / r^3 (3 r r^T / r^2 - I); lv' = -lr.
  const double rl = (s.r[0] * s.lv[0] + s.r[1] * s.lv[1]) / (rr * rr);
  for (int i = 0; i < 2; ++i) d.lr[i] = -mu / r3 * (3.0 * s.r[i] * rl - s.lv[i]);
  d.lv = {-s.lr[0], -s.lr[1]};
  return d;
}

Arc step(const Arc& s, const Engine& e, double h) {
  const auto add = [](const Arc& x, const Arc& dx, double k) {
    Arc y = x;
    for (int i = 0; i < 2; ++i) {
      y.r[i] += k * dx.r[i];
      y.v[i] += k * dx.v[i];
      y.lr[i] += k * dx.lr[i];
      y.lv[i] += k * dx.lv[i];
    }
    y.m += k * dx.m;
    return y;
  };
  const Arc k1 = rates(s, e);
  const Arc k2 = rates(add(s, k1, h / 2), e);
  const Arc k3 = rates(add(s, k2, h / 2), e);
  const Arc k4 = rates(add(s, k3, h), e);
  Arc out = add(s, k1, h / 6);
  out = add(out, k2, h / 3);
  out = add(out, k3, h / 3);
  return add(out, k4, h / 6);
}

/// The share of the optimal burn's propellant the guided burn may differ by.
constexpr double NEAR_OPTIMAL = 1e-4;

/// The point of the target orbit where a burn ends: radius [m], radial and
/// horizontal speed [m/s].
struct EndPoint {
  double radius, vr, vt;
};

/// The point at true anomaly `nu` of the orbit with perigee and apogee radii
/// rp, ra: the conic r = p / (1 + e cos nu), h = sqrt(mu p).
EndPoint point_of_orbit(double rp, double ra, double nu) {
  const double mu = static_cast<double>(MU);
  const double e = (ra - rp) / (ra + rp);
  const double p = rp * (1.0 + e);
  const double r = p / (1.0 + e * std::cos(nu));
  const double h = std::sqrt(mu * p);
  return {r, mu / h * e * std::sin(nu), h / r};
}

/// The misses at the end of a burn from `start` with unknowns z = (lr_x,
/// lr_y, the angle of lv, the burn time): radius, radial and horizontal
/// speed against `aim`, and the transversality of a free place about the
/// Earth (lr . J r + lv . J v = 0), each scaled to order one.
std::array<double, 4> misses(const Arc& start, const Engine& e, const std::array<double, 4>& z,
                             const EndPoint& aim) {
  Arc s = start;
  s.lr = {z[0], z[1]};
  s.lv = {std::cos(z[2]), std::sin(z[2])};
  constexpr int STEPS = 2000;
  for (int k = 0; k < STEPS; ++k) s = step(s, e, z[3] / STEPS);
  const double rr = std::hypot(s.r[0], s.r[1]);
  const double vr = (s.r[0] * s.v[0] + s.r[1] * s.v[1]) / rr;
  const double vt = (s.r[0] * s.v[1] - s.r[1] * s.v[0]) / rr;
  const double turn = s.lr[0] * -s.r[1] + s.lr[1] * s.r[0] + s.lv[0] * -s.v[1] + s.lv[1] * s.v[0];
  return {(rr - aim.radius) / 1000.0, (vr - aim.vr) / 10.0, (vt - aim.vt) / 10.0, turn / 1000.0};
}

/// The unknowns of the optimal burn to `aim` from `start`, Newton's method
/// from the guess `z`; the burn time NaN when it does not converge.
std::array<double, 4> optimal_burn(const Arc& start, const Engine& e, std::array<double, 4> z,
                                   const EndPoint& aim) {
  for (int iteration = 0; iteration < 40; ++iteration) {
    const std::array<double, 4> f = misses(start, e, z, aim);
    double size = 0.0;
    for (const double x : f) size = std::max(size, std::fabs(x));
    if (size < 1e-6) return z;
    std::array<std::array<double, 4>, 4> jacobian{};
    const std::array<double, 4> h{1e-7, 1e-7, 1e-6, 1e-3};
    for (int j = 0; j < 4; ++j) {
      std::array<double, 4> zj = z;
      zj[j] += h[j];
      const std::array<double, 4> fj = misses(start, e, zj, aim);
      for (int i = 0; i < 4; ++i) jacobian[i][j] = (fj[i] - f[i]) / h[j];
    }
    // Gaussian elimination with partial pivoting for the Newton step.
    std::array<double, 4> b{-f[0], -f[1], -f[2], -f[3]};
    for (int c = 0; c < 4; ++c) {
      int p = c;
      for (int i = c + 1; i < 4; ++i) {
        if (std::fabs(jacobian[i][c]) > std::fabs(jacobian[p][c])) p = i;
      }
      std::swap(jacobian[c], jacobian[p]);
      std::swap(b[c], b[p]);
      for (int i = c + 1; i < 4; ++i) {
        const double k = jacobian[i][c] / jacobian[c][c];
        for (int j = c; j < 4; ++j) jacobian[i][j] -= k * jacobian[c][j];
        b[i] -= k * b[c];
      }
    }
    std::array<double, 4> dz{};
    for (int c = 3; c >= 0; --c) {
      double sum = b[c];
      for (int j = c + 1; j < 4; ++j) sum -= jacobian[c][j] * dz[j];
      dz[c] = sum / jacobian[c][c];
    }
    for (int j = 0; j < 4; ++j) z[j] += dz[j];
  }
  z[3] = NAN;
  return z;
}

/// The upper stage at mainstage and its guided burn from there, at the full
/// mainstage thrust.
struct GuidedIgnition {
  FlightState ignition;
  double propellant;   ///< [kg] of the guided burn
  double burn_time;    ///< [s]
  double first_pitch;  ///< [rad] above the horizontal
  FlightState cutoff;
};

GuidedIgnition guided_from_mainstage(const Vehicle& v, double turn_time, double maxa) {
  const FlightResult flown = fly(v, sample(), {turn_time, maxa, {}, {}});
  EXPECT_TRUE(flown.separated()) << maxa;
  FlightDynamics dynamics;
  for (const EventRecord& record : flown.events) {
    if (record.event.kind == FlightEventKind::upper_stage_mainstage) dynamics.state = record.state;
  }
  const FlightState ignition = dynamics.state;
  FlightState& s = dynamics.state;
  s.stage.thrust_rate = 0.0L;
  s.stage.mdot_rate = 0.0L;
  s.thrust_vac = v.upper_stage.thrust;
  s.mdot = -s.thrust_vac / v.upper_stage.exhaust_velocity;
  const double first_mass = s.mass().value();
  EXPECT_EQ(burn_to_target_orbit(dynamics, v), OrbitFailure::none) << maxa;
  return {ignition, first_mass - s.mass().value(), static_cast<double>(s.t - ignition.t),
          static_cast<double>(s.pitch.value()), s};
}

Engine engine_of(const Vehicle& v) {
  return {v.upper_stage.thrust, v.upper_stage.thrust / v.upper_stage.exhaust_velocity};
}

Arc arc_at(const FlightState& ignition) {
  const double r0 = static_cast<double>(R_EARTH) + ignition.h0.value();
  return {{r0, 0.0}, {ignition.vr.value(), ignition.vt.value()}, ignition.mass().value(), {}, {}};
}

Vehicle guided_vehicle(double perigee, double apogee) {
  Vehicle v;
  v.upper_stage.guidance = UpperStageGuidance::orbit_insertion;
  v.target.perigee = perigee;
  v.target.apogee = apogee;
  v.target.altitude = (perigee + apogee) / 2.0;
  return v;
}

TEST(GuidedBurnOptimality, FromLoftedNominalLowAndSinkingIgnitionsTheGuidedBurnIsNearTheOptimum) {
  const Vehicle v = guided_vehicle(200e3, 200e3);
  const Engine engine = engine_of(v);
  const EndPoint circle = point_of_orbit(static_cast<double>(R_EARTH) + 200e3,
                                         static_cast<double>(R_EARTH) + 200e3, 0.0);
  // At the optimum's turn time, the core's angle from lofted (ignition near
  // 195 km, climbing at 250 m/s) through the optimum's (189 km) down to a
  // core that leaves the stage sinking at 130 km. The reference is carried
  // from one ignition to the next (its Newton's method needs a near guess),
  // starting from the guided stage's first pitch with no turning of the primer.
  const GuidedIgnition lofted = guided_from_mainstage(v, 102.265, 26.0);
  std::array<double, 4> z{0.0, 0.0, std::acos(-1.0) / 2.0 - lofted.first_pitch, lofted.burn_time};
  const std::vector<double> checked{26.0, 21.25, 18.75, 17.5, 16.5, 15.5};
  int compared = 0;
  for (double maxa = 26.0; maxa > 15.49; maxa -= 0.25) {
    const GuidedIgnition guided = guided_from_mainstage(v, 102.265, maxa);
    z = optimal_burn(arc_at(guided.ignition), engine, z, circle);
    ASSERT_TRUE(std::isfinite(z[3])) << "no reference at " << maxa;
    if (std::none_of(checked.begin(), checked.end(),
                     [&](double c) { return std::fabs(c - maxa) < 0.01; })) {
      continue;
    }
    // The flight's own integration in one-second steps, and the thin air
    // above 130 km, against the reference's: a fiftieth of the half percent
    // the guided stage may lose. Measured: within 0.001 % at each (the
    // former law lost 0.014 % at the optimum's ignition, 18 % from 146 km).
    const double optimal = engine.mdot * z[3];
    EXPECT_LT(guided.propellant, optimal * (1.0 + NEAR_OPTIMAL)) << maxa << " " << optimal;
    EXPECT_GT(guided.propellant, optimal * (1.0 - NEAR_OPTIMAL)) << maxa << " " << optimal;
    ++compared;
  }
  EXPECT_EQ(compared, static_cast<int>(checked.size()));
}

TEST(GuidedBurnOptimality, AnEllipticTargetIsEnteredWhereItCostsLeast) {
  const Vehicle v = guided_vehicle(185e3, 400e3);
  const Engine engine = engine_of(v);
  const double rp = static_cast<double>(R_EARTH) + 185e3;
  const double ra = static_cast<double>(R_EARTH) + 400e3;
  const GuidedIgnition guided = guided_from_mainstage(v, 111.727, 20.354131);
  const Arc start = arc_at(guided.ignition);
  // The least burn over the points of the ellipse, by golden-section search
  // in the true anomaly of the insertion, each point's burn solved from the
  // last one's.
  std::array<double, 4> z{0.0, 0.0, std::acos(-1.0) / 2.0 - guided.first_pitch, guided.burn_time};
  const auto burn_to = [&](double nu) {
    z = optimal_burn(start, engine, z, point_of_orbit(rp, ra, nu));
    return z[3];
  };
  const double at_perigee = burn_to(0.0);
  ASSERT_TRUE(std::isfinite(at_perigee));
  const double golden = (std::sqrt(5.0) - 1.0) / 2.0;
  double low = -0.8;
  double high = 0.2;
  for (int k = 0; k < 30; ++k) {
    const double a = high - golden * (high - low);
    const double b = low + golden * (high - low);
    if (burn_to(a) < burn_to(b)) {
      high = b;
    } else {
      low = a;
    }
  }
  const double nu = (low + high) / 2.0;
  const double least = engine.mdot * burn_to(nu);
  ASSERT_TRUE(std::isfinite(least));
  EXPECT_LT(guided.propellant, least * (1.0 + NEAR_OPTIMAL)) << least;
  EXPECT_GT(guided.propellant, least * (1.0 - NEAR_OPTIMAL)) << least;
  // Entered where the least burn enters, 1.1 km above perigee and sinking
  // towards it, and for less than the least burn to the perigee itself
  // (measured: 45325 kg against 45376 kg).
  const EndPoint best = point_of_orbit(rp, ra, nu);
  EXPECT_NEAR(guided.cutoff.h0.value() + static_cast<double>(R_EARTH), best.radius, 1000.0);
  EXPECT_NEAR(guided.cutoff.vr.value(), best.vr, 5.0);
  EXPECT_LT(guided.propellant, engine.mdot * at_perigee) << least;
}

}  // namespace
}  // namespace ascent::testing
