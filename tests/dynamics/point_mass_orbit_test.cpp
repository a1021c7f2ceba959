// The three-dimensional point-mass motion against two-body mechanics: the
// invariants of a coast, the J2 drift of the node, and the elements' round trip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "dynamics/orbital_elements.hpp"
#include "dynamics/point_mass_motion.hpp"

namespace ascent::testing {
namespace {

constexpr double PI = std::numbers::pi;
constexpr double DEG = PI / 180.0;

/// A coast: no thrust, no drag (no reference area), air that is never read.
struct Coast {
  EarthModel earth;
  AirModel air = AirModel::exponential(0.0, 7200.0);
  PointMassState operator()(double, const PointMassState& s) const {
    return point_mass_rates(s, earth, air, ThrustSetting{}, DragModel{});
  }
};

PointMassState state_of(const EarthModel& earth, const OrbitalElements& el) {
  const CartesianState c = cartesian_state(earth.gravitational_parameter, el);
  return {c.position, c.velocity, 1000.0};
}

double period_of(const EarthModel& earth, double a) {
  return 2.0 * PI * std::sqrt(a * a * a / earth.gravitational_parameter);
}

TEST(PointMassCoast, KeepsEnergyAndAngularMomentumOverOneOrbit) {
  Coast coast;
  const double mu = coast.earth.gravitational_parameter;
  // An inclined orbit of perigee 600 km and apogee 2600 km, from perigee.
  const OrbitalElements el{7978165.0, 0.125, 51.6 * DEG, 30.0 * DEG, 40.0 * DEG, 0.0};
  PointMassState s = state_of(coast.earth, el);
  const auto energy = [mu](const PointMassState& x) {
    return x.velocity.squaredNorm() / 2.0 - mu / x.position.norm();
  };
  const double E0 = energy(s);
  const Vector3 H0 = s.position.cross(s.velocity);

  const double period = period_of(coast.earth, el.semi_major_axis);
  const int steps = 7000;
  const double dt = period / steps;  // about 1 s
  double worst_energy = 0.0;
  double worst_momentum = 0.0;
  for (int k = 0; k < steps; ++k) {
    s = rk4_step(s, k * dt, dt, coast);
    worst_energy = std::max(worst_energy, std::fabs(energy(s) / E0 - 1.0));
    worst_momentum =
        std::max(worst_momentum, (s.position.cross(s.velocity) - H0).norm() / H0.norm());
  }
  EXPECT_LT(worst_energy, 1e-10);
  EXPECT_LT(worst_momentum, 1e-10);
  // A whole period brings the vehicle back to its perigee.
  const CartesianState start = cartesian_state(mu, el);
  EXPECT_LT((s.position - start.position).norm(), 1e-3);
  EXPECT_EQ(s.mass, 1000.0);
}

TEST(PointMassCoast, J2TurnsTheNodeAtTheSecularRate) {
  Coast coast;
  coast.earth.j2 = WGS84_J2;
  const double mu = coast.earth.gravitational_parameter;
  const double R = coast.earth.equatorial_radius;
  const OrbitalElements el{R + 700000.0, 0.01, 51.6 * DEG, 0.0, 0.0, 0.0};
  PointMassState s = state_of(coast.earth, el);

  // The node is read at each ascending-node crossing (z from - to +), where
  // the short-period terms repeat, so that their difference is secular.
  const double dt = 2.0;
  struct Crossing {
    double t;
    double node;
  };
  std::vector<Crossing> crossings;
  double t = 0.0;
  while (crossings.size() < 11) {
    const PointMassState next = rk4_step(s, t, dt, coast);
    if (s.position.z() < 0.0 && next.position.z() >= 0.0) {
      crossings.push_back({t + dt, orbital_elements(mu, next.position, next.velocity).ascending_node});
    }
    s = next;
    t += dt;
  }
  const double drift = std::remainder(crossings.back().node - crossings.front().node, 2.0 * PI);
  const double rate = drift / (crossings.back().t - crossings.front().t);

  const double a = el.semi_major_axis;
  const double p = a * (1.0 - el.eccentricity * el.eccentricity);
  const double n = std::sqrt(mu / (a * a * a));
  const double secular = -1.5 * n * WGS84_J2 * (R / p) * (R / p) * std::cos(el.inclination);
  EXPECT_NEAR(rate / secular, 1.0, 0.01);
}

TEST(PointMassCoast, CentralFieldKeepsTheNode) {
  Coast coast;
  const double mu = coast.earth.gravitational_parameter;
  const OrbitalElements el{7200000.0, 0.02, 97.0 * DEG, 100.0 * DEG, 0.0, 0.0};
  PointMassState s = state_of(coast.earth, el);
  for (int k = 0; k < 3000; ++k) s = rk4_step(s, k * 2.0, 2.0, coast);
  EXPECT_NEAR(orbital_elements(mu, s.position, s.velocity).ascending_node, el.ascending_node,
              1e-9);
}

TEST(OrbitalElements, RoundTripThroughPositionAndVelocity) {
  const double mu = EarthModel{}.gravitational_parameter;
  const OrbitalElements cases[] = {
      {24361140.0, 0.7308, 28.5 * DEG, 269.8 * DEG, 130.5 * DEG, 200.0 * DEG},
      {6778165.0, 0.001, 51.6 * DEG, 10.0 * DEG, 300.0 * DEG, 45.0 * DEG},
      {7078165.0, 0.05, 98.2 * DEG, 350.0 * DEG, 90.0 * DEG, 359.0 * DEG},
      {8000000.0, 0.3, 150.0 * DEG, 180.5 * DEG, 1.0 * DEG, 170.0 * DEG},
      {-20000000.0, 1.4, 30.0 * DEG, 60.0 * DEG, 70.0 * DEG, 20.0 * DEG},
  };
  for (const OrbitalElements& el : cases) {
    const CartesianState c = cartesian_state(mu, el);
    const OrbitalElements back = orbital_elements(mu, c.position, c.velocity);
    EXPECT_NEAR(back.semi_major_axis / el.semi_major_axis, 1.0, 1e-12);
    EXPECT_NEAR(back.eccentricity, el.eccentricity, 1e-12);
    EXPECT_NEAR(back.inclination, el.inclination, 1e-12);
    EXPECT_NEAR(back.ascending_node, el.ascending_node, 1e-11);
    EXPECT_NEAR(back.argument_of_perigee, el.argument_of_perigee, 1e-9);
    EXPECT_NEAR(back.true_anomaly, el.true_anomaly, 1e-9);
  }
}

TEST(OrbitalElements, VisVivaAndTheApsidesOfTheState) {
  const double mu = EarthModel{}.gravitational_parameter;
  // A position at 7000 km and a speed 5 % above the circular one, at a flight-path
  // angle of 10 degrees: a = 1 / (2/r - v^2/mu), h = r v cos(gamma), p = h^2/mu.
  const double r = 7000000.0;
  const double v = 1.05 * std::sqrt(mu / r);
  const double gamma = 10.0 * DEG;
  const Vector3 position{0.0, 0.0, r};
  const Vector3 velocity{v * std::cos(gamma), 0.0, v * std::sin(gamma)};
  const OrbitalElements el = orbital_elements(mu, position, velocity);
  const double a = 1.0 / (2.0 / r - v * v / mu);
  const double p = std::pow(r * v * std::cos(gamma), 2) / mu;
  EXPECT_NEAR(el.semi_major_axis / a, 1.0, 1e-13);
  EXPECT_NEAR(el.eccentricity, std::sqrt(1.0 - p / a), 1e-13);
  EXPECT_NEAR(el.inclination, PI / 2.0, 1e-13);  // the orbit lies in the x-z plane
  // Climbing: between perigee and apogee.
  EXPECT_GT(el.true_anomaly, 0.0);
  EXPECT_LT(el.true_anomaly, PI);
}

TEST(OrbitalElements, CircularAndEquatorialOrbitsMeasureFromFixedDirections) {
  const double mu = EarthModel{}.gravitational_parameter;
  const double r = 7000000.0;
  const double v = std::sqrt(mu / r);
  // Equatorial and circular, at 60 degrees from the x axis.
  const Vector3 position = r * Vector3{std::cos(PI / 3), std::sin(PI / 3), 0.0};
  const Vector3 velocity = v * Vector3{-std::sin(PI / 3), std::cos(PI / 3), 0.0};
  const OrbitalElements el = orbital_elements(mu, position, velocity);
  EXPECT_NEAR(el.eccentricity, 0.0, 1e-15);
  EXPECT_EQ(el.ascending_node, 0.0);
  EXPECT_EQ(el.argument_of_perigee, 0.0);
  EXPECT_NEAR(el.true_anomaly, PI / 3, 1e-14);
  const CartesianState back = cartesian_state(mu, el);
  EXPECT_LT((back.position - position).norm(), 1e-6);
  EXPECT_LT((back.velocity - velocity).norm(), 1e-9);
}

}  // namespace
}  // namespace ascent::testing
