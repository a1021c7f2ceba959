// The fourth order of rk4_step on a powered span through the air (thrust with
// its back-pressure loss, drag, J2, a turning atmosphere), and the rates of a
// vehicle at rest on the pad.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "dynamics/gravity.hpp"
#include "dynamics/point_mass_motion.hpp"

namespace ascent::testing {
namespace {

constexpr double DEG = std::numbers::pi / 180.0;

/// A stage climbing through an exponential atmosphere, thrust along the
/// velocity relative to the air.
struct PoweredClimb {
  EarthModel earth{.j2 = WGS84_J2};
  AirModel air = AirModel::exponential(1.225, 7200.0);
  DragModel drag{.reference_area = 10.0, .drag_coefficient = 0.5, .against_mach = {}};
  PointMassState operator()(double, const PointMassState& s) const {
    const Airflow flow = airflow(earth, air, s.position, s.velocity);
    const ThrustSetting thrust{flow.air_velocity / flow.air_speed, 2.0e6, 700.0, 1.5};
    return point_mass_rates(s, earth, flow, thrust, drag);
  }
};

PointMassState fly(const PoweredClimb& climb, const PointMassState& start, double span, int steps) {
  PointMassState s = start;
  const double dt = span / steps;
  for (int k = 0; k < steps; ++k) s = rk4_step(s, k * dt, dt, climb);
  return s;
}

TEST(PointMassRk4, IsOfFourthOrderOnAPoweredSpan) {
  const PoweredClimb climb;
  const double lat = 28.5 * DEG;
  const Vector3 r = (climb.earth.equatorial_radius + 2000.0) *
                    Vector3{std::cos(lat), 0.0, std::sin(lat)};
  const Vector3 up = r.normalized();
  const Vector3 east{0.0, 1.0, 0.0};
  const Vector3 v = climb.earth.rotation().cross(r) + 150.0 * up + 40.0 * east;
  const PointMassState start{r, v, 100000.0};

  // Differences of successive halvings fall by 2^4 for a fourth-order method.
  const PointMassState a = fly(climb, start, 60.0, 15);
  const PointMassState b = fly(climb, start, 60.0, 30);
  const PointMassState c = fly(climb, start, 60.0, 60);
  const double order =
      std::log2((a.position - b.position).norm() / (b.position - c.position).norm());
  EXPECT_NEAR(order, 4.0, 0.25);
  const double order_v =
      std::log2((a.velocity - b.velocity).norm() / (b.velocity - c.velocity).norm());
  EXPECT_NEAR(order_v, 4.0, 0.25);
  // Mass flow is constant: exact at any step.
  EXPECT_NEAR(c.mass, 100000.0 - 700.0 * 60.0, 1e-8);
}

TEST(PointMassRates, AtRestOnThePadOnlyThrustOutweighsGravity) {
  const EarthModel earth;
  const AirModel air = AirModel::us1976();
  const Vector3 r{earth.equatorial_radius, 0.0, 0.0};
  const PointMassState pad{r, earth.rotation().cross(r), 1000.0};
  const DragModel drag{.reference_area = 10.0, .drag_coefficient = 0.5, .against_mach = {}};
  // Moving with the air: no drag. The back pressure at sea level takes
  // 101325 Pa * 0.5 m^2 off the vacuum thrust.
  const ThrustSetting thrust{Vector3::UnitX(), 60000.0, 20.0, 0.5};
  const PointMassState rates = point_mass_rates(pad, earth, air, thrust, drag);
  const double g = earth.gravitational_parameter / (r.x() * r.x());
  EXPECT_NEAR(rates.velocity.x(), (60000.0 - 101325.0 * 0.5) / 1000.0 - g, 1e-9);
  EXPECT_NEAR(rates.velocity.y(), 0.0, 1e-12);
  EXPECT_EQ(rates.mass, -20.0);
  EXPECT_EQ(rates.position, pad.velocity);
}

TEST(PointMassRates, DragOpposesTheMotionThroughTheAir) {
  const EarthModel earth;
  const AirModel air = AirModel::exponential(1.225, 7200.0);
  const Vector3 r{0.0, 0.0, earth.equatorial_radius + 7200.0};  // over the pole: no wind
  const Vector3 v{300.0, 0.0, 0.0};
  DragModel drag{.reference_area = 2.0, .drag_coefficient = 0.0,
                 .against_mach = LinearTable({{0.0, 0.2}, {2.0, 0.6}})};
  const PointMassState rates = point_mass_rates({r, v, 500.0}, earth, air, ThrustSetting{}, drag);
  const double rho = 1.225 / std::numbers::e;
  const double sound = std::sqrt(1.4 * 9.80665 * 7200.0);
  const double cd = 0.2 + 0.2 * (300.0 / sound);
  EXPECT_NEAR(rates.velocity.x(), -0.5 * rho * 300.0 * 300.0 * 2.0 * cd / 500.0, 1e-9);
  EXPECT_NEAR(rates.velocity.z(), gravity(earth, r).z(), 1e-12);
}

}  // namespace
}  // namespace ascent::testing
