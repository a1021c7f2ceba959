// The fall of a jettisoned element against closed formulas: out of the air it
// lands where its two-body conic meets the sphere, at the time Kepler's
// equation gives; through the air it lands shorter, at its terminal speed;
// an element whose perigee stays high reaches orbit.
#include "mission/ballistic_fall.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "dynamics/orbital_elements.hpp"

namespace ascent::testing {
namespace {

constexpr double PI = std::numbers::pi;

FallWorld world_with(AirModel air) {
  const EarthModel earth;
  const GroundFrame ground(EarthFigure::sphere(earth.equatorial_radius), earth.rotation_rate);
  return {earth, air, ground, {28.45 * PI / 180.0, 0.0, 0.0}};
}

/// A spent core stage at 120 km, climbing at 1 km/s and flying east-north-east at 5.5 km/s.
PointMassState jettison_state(const FallWorld& world) {
  const Vector3 r = world.ground.position({30.0 * PI / 180.0, 8.0 * PI / 180.0, 120.0e3}, 150.0);
  const Vector3 up = r.normalized();
  const Vector3 east = Vector3::UnitZ().cross(up).normalized();
  const Vector3 north = up.cross(east);
  return {r, 1000.0 * up + 5500.0 * (0.9 * east + 0.436 * north).normalized(), 0.0};
}

FallingElement core_stage() {
  return {9000.0, {12.0, DEFAULT_FALL_DRAG_COEFFICIENT, {}}};
}

/// [rad] the mean anomaly at true anomaly `nu` of an ellipse of eccentricity `e`.
double mean_anomaly(double nu, double e) {
  const double E = 2.0 * std::atan(std::sqrt((1.0 - e) / (1.0 + e)) * std::tan(nu / 2.0));
  return E - e * std::sin(E);
}

TEST(BallisticFall, OutOfTheAirLandsWhereTheConicMeetsTheSphere) {
  const FallWorld world = world_with(AirModel::exponential(0.0, 7200.0));
  const PointMassState start = jettison_state(world);
  const ImpactPoint impact = ballistic_fall(core_stage(), 150.0, start, world);
  ASSERT_FALSE(impact.reaches_orbit);

  // r = p / (1 + e cos nu) = R on the descending branch of the conic.
  const double mu = world.earth.gravitational_parameter;
  const double R = world.earth.equatorial_radius;
  OrbitalElements conic = orbital_elements(mu, start.position, start.velocity);
  const double nu0 = conic.true_anomaly;
  const double p = conic.semi_major_axis * (1.0 - conic.eccentricity * conic.eccentricity);
  conic.true_anomaly = 2.0 * PI - std::acos((p / R - 1.0) / conic.eccentricity);
  const CartesianState landing = cartesian_state(mu, conic);
  const double n = std::sqrt(mu / std::pow(conic.semi_major_axis, 3));
  const double swept = std::remainder(mean_anomaly(conic.true_anomaly, conic.eccentricity) -
                                          mean_anomaly(nu0, conic.eccentricity) - PI,
                                      2.0 * PI) + PI;
  const double time = 150.0 + swept / n;

  EXPECT_NEAR(impact.time, time, 1e-4);
  EXPECT_NEAR(impact.where.altitude, 0.0, 1e-3);
  EXPECT_NEAR((world.ground.position(impact.where, impact.time) - landing.position).norm(), 0.0,
              1.0);
  const Vector3 ground_velocity =
      landing.velocity - world.earth.rotation().cross(landing.position);
  EXPECT_NEAR(impact.speed, ground_velocity.norm(), 1e-3);
  EXPECT_NEAR(impact.flight_time, time - 150.0, 1e-4);
  EXPECT_GT(impact.downrange, 1000.0e3);  // several degrees east of the pad
}

TEST(BallisticFall, ThroughTheAirLandsShorterAtItsTerminalSpeed) {
  const FallWorld vacuum = world_with(AirModel::exponential(0.0, 7200.0));
  const FallWorld air = world_with(AirModel::us1976());
  const PointMassState start = jettison_state(air);
  const FallingElement stage = core_stage();
  const ImpactPoint without = ballistic_fall(stage, 150.0, start, vacuum);
  const ImpactPoint with = ballistic_fall(stage, 150.0, start, air);
  ASSERT_FALSE(with.reaches_orbit);
  EXPECT_LT(with.downrange, without.downrange - 10.0e3);
  EXPECT_NEAR(with.where.altitude, 0.0, 1e-3);
  // Slowed to a vertical fall at the end: drag equals weight, v = sqrt(2 m g / (rho Cd A)),
  // at sea level, or a little faster, still slowing from the thinner air above.
  const double g = air.earth.gravitational_parameter / std::pow(air.earth.equatorial_radius, 2);
  const auto terminal = [&](double density) {
    return std::sqrt(2.0 * stage.mass * g / (density * 12.0 * stage.drag.drag_coefficient));
  };
  EXPECT_GT(with.speed, terminal(1.225));
  EXPECT_LT(with.speed, 1.1 * terminal(1.225));
  // In air of one density throughout, exactly at its terminal speed under
  // the gravity felt on the turning Earth (less the centrifugal acceleration);
  // gravity that grows as it falls keeps it 2 to 4e-4 below, a lag of v/g.
  const FallWorld uniform = world_with(AirModel::exponential(0.5, 1.0e12));
  const ImpactPoint steady = ballistic_fall(stage, 150.0, start, uniform);
  const Vector3 r = uniform.ground.position(steady.where, steady.time);
  const Vector3 omega = uniform.earth.rotation();
  const double felt = (-uniform.earth.gravitational_parameter / std::pow(r.norm(), 3) * r -
                       omega.cross(omega.cross(r))).norm();
  EXPECT_NEAR(steady.speed, terminal(0.5) * std::sqrt(felt / g), 5e-4 * terminal(0.5));

  // A lighter element with more area comes down sooner after its apogee and even shorter.
  const ImpactPoint fairing = ballistic_fall({800.0, {15.0, 1.2, {}}}, 150.0, start, air);
  EXPECT_LT(fairing.downrange, with.downrange);
  EXPECT_LT(fairing.speed, with.speed);
}

TEST(BallisticFall, AnElementOnAnOrbitAboveTheAirReachesIt) {
  const FallWorld world = world_with(AirModel::us1976());
  const double R = world.earth.equatorial_radius;
  const double r = R + 200.0e3;
  const PointMassState circular{{r, 0.0, 0.0},
                                {0.0, std::sqrt(world.earth.gravitational_parameter / r), 0.0},
                                0.0};
  const ImpactPoint kept = ballistic_fall(core_stage(), 500.0, circular, world);
  EXPECT_TRUE(kept.reaches_orbit);
  EXPECT_NEAR(kept.perigee_altitude, 200.0e3, 1.0);
  EXPECT_EQ(kept.steps, 0);
  EXPECT_NEAR(kept.where.altitude, 200.0e3, 1e-3);
  // Slower by 2 %: its perigee falls into the air and it comes down.
  PointMassState slower = circular;
  slower.velocity *= 0.98;
  const ImpactPoint fallen = ballistic_fall(core_stage(), 500.0, slower, world);
  EXPECT_FALSE(fallen.reaches_orbit);
  EXPECT_LT(fallen.perigee_altitude, 0.0);
  EXPECT_GT(fallen.flight_time, 300.0);
}

}  // namespace
}  // namespace ascent::testing
