// Geodetic coordinates of inertial positions against the closed formulas of
// the sphere and of the ellipsoid, the Earth turning under the inertial
// frame, and distances and the tangent plane against spherical trigonometry.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "dynamics/geodetic.hpp"

namespace ascent::testing {
namespace {

constexpr double PI = std::numbers::pi;
constexpr double RADIUS = 6378165.0;             // [m] the flight's sphere
constexpr double OMEGA = 2.0 * PI / 86164.09;   // [rad/s]

/// Angles compared modulo a turn.
double angle_between(double a, double b) {
  return std::abs(std::remainder(a - b, 2.0 * PI));
}

TEST(GeodeticOnTheSphere, IsTheGeocentricLatitudeAndTheHeightAboveTheSphere) {
  const double launch_longitude = -80.6 * PI / 180.0;
  const GroundFrame ground(EarthFigure::sphere(RADIUS), OMEGA, launch_longitude);
  std::mt19937_64 draw(7);
  std::uniform_real_distribution<double> coordinate(-9.0e6, 9.0e6);
  std::uniform_real_distribution<double> seconds(0.0, 5000.0);
  for (int i = 0; i < 200; ++i) {
    const Eigen::Vector3d r(coordinate(draw), coordinate(draw), coordinate(draw));
    const double t = seconds(draw);
    const Geodetic g = ground.geodetic(r, t);
    EXPECT_NEAR(g.latitude, std::asin(r.z() / r.norm()), 1e-12);
    EXPECT_NEAR(g.altitude, r.norm() - RADIUS, 1e-6 * (1.0 + std::abs(r.norm() - RADIUS) * 1e-6));
    const double expected = std::atan2(r.y(), r.x()) + launch_longitude - OMEGA * t;
    EXPECT_LT(angle_between(g.longitude, expected), 1e-12);
    EXPECT_GE(g.longitude, -PI);
    EXPECT_LE(g.longitude, PI);
  }
}

TEST(GeodeticOnWgs84, LatitudeAndHeightAlongTheNormalOfTheEllipsoid) {
  // A point at height h on the normal at latitude phi lies at
  // ((N + h) cos phi, 0, (N (1 - e^2) + h) sin phi), N = a / sqrt(1 - e^2 sin^2 phi).
  const EarthFigure wgs84 = EarthFigure::wgs84();
  const GroundFrame ground(wgs84, 0.0);
  const double a = wgs84.equatorial_radius;
  const double e2 = wgs84.flattening * (2.0 - wgs84.flattening);
  for (const double latitude_deg : {-89.9, -45.0, 0.0, 28.45, 51.6, 89.0}) {
    for (const double h : {-100.0, 0.0, 1.0e4, 2.0e5}) {
      const double phi = latitude_deg * PI / 180.0;
      const double n = a / std::sqrt(1.0 - e2 * std::sin(phi) * std::sin(phi));
      const Eigen::Vector3d r((n + h) * std::cos(phi), 0.0, (n * (1.0 - e2) + h) * std::sin(phi));
      const Geodetic g = ground.geodetic(r, 0.0);
      EXPECT_NEAR(g.latitude, phi, 1e-12) << latitude_deg << " deg, " << h << " m";
      EXPECT_NEAR(g.altitude, h, 1e-6);
      EXPECT_NEAR((ground.position(g, 0.0) - r).norm(), 0.0, 1e-6);
    }
  }
  // The geodetic latitude exceeds the geocentric one between equator and pole.
  const Geodetic mid = ground.geodetic({4.0e6, 0.0, 4.0e6}, 0.0);
  EXPECT_GT(mid.latitude, PI / 4.0);
}

TEST(GroundFrame, APointOfTheGroundTurnsWithTheEarthUnderTheInertialFrame) {
  const GroundFrame ground(EarthFigure::wgs84(), OMEGA, 0.3);
  const Geodetic pad{28.45 * PI / 180.0, -80.6 * PI / 180.0, 10.0};
  const Eigen::Vector3d at_launch = ground.position(pad, 0.0);
  for (const double t : {60.0, 600.0, 21600.0}) {
    const Eigen::Vector3d later = ground.position(pad, t);
    // Same height over the equator's plane and distance from the axis, turned east by omega t.
    EXPECT_NEAR(later.z(), at_launch.z(), 1e-6);
    EXPECT_NEAR(later.head<2>().norm(), at_launch.head<2>().norm(), 1e-6);
    const double turn = std::atan2(later.y(), later.x()) - std::atan2(at_launch.y(), at_launch.x());
    EXPECT_LT(angle_between(turn, OMEGA * t), 1e-12);
    const Geodetic back = ground.geodetic(later, t);
    EXPECT_NEAR(back.latitude, pad.latitude, 1e-12);
    EXPECT_LT(angle_between(back.longitude, pad.longitude), 1e-12);
    EXPECT_NEAR(back.altitude, pad.altitude, 1e-6);
    EXPECT_NEAR((ground.inertial(ground.earth_fixed(later, t), t) - later).norm(), 0.0, 1e-6);
  }
}

TEST(SurfaceDistance, OnTheSphereIsTheRadiusTimesTheCentralAngle) {
  const GroundFrame ground(EarthFigure::sphere(RADIUS), OMEGA);
  const Geodetic from{28.45 * PI / 180.0, -80.6 * PI / 180.0, 0.0};
  for (const Geodetic to : {Geodetic{28.45 * PI / 180.0, -70.0 * PI / 180.0, 0.0},
                            Geodetic{-10.0 * PI / 180.0, 15.0 * PI / 180.0, 5000.0},
                            Geodetic{from.latitude, from.longitude + 1e-6, 0.0}}) {
    // The spherical law of cosines in its haversine form.
    const double hav = std::pow(std::sin((to.latitude - from.latitude) / 2.0), 2) +
                       std::cos(from.latitude) * std::cos(to.latitude) *
                           std::pow(std::sin((to.longitude - from.longitude) / 2.0), 2);
    const double expected = 2.0 * RADIUS * std::asin(std::sqrt(hav));
    EXPECT_NEAR(ground.surface_distance(from, to), expected, 1e-6 + 1e-12 * expected);
  }
}

TEST(TangentPlane, KeepsDistanceAndAzimuthFromItsOrigin) {
  const GroundFrame ground(EarthFigure::sphere(RADIUS), OMEGA);
  const Geodetic origin{28.45 * PI / 180.0, -80.6 * PI / 180.0, 0.0};
  const TangentPlane plane(ground, origin);
  EXPECT_NEAR(plane.to_plane(origin).norm(), 0.0, 1e-9);
  // Due north by an angle d/R of latitude; due east along the parallel leaves heading east.
  const double d = 150.0e3;
  const Eigen::Vector2d north =
      plane.to_plane({origin.latitude + d / RADIUS, origin.longitude, 0.0});
  EXPECT_NEAR(north.x(), 0.0, 1e-6);
  EXPECT_NEAR(north.y(), d, 1e-6);
  for (const double azimuth_deg : {0.0, 37.0, 90.0, 200.0, 315.0}) {
    const double azimuth = azimuth_deg * PI / 180.0;
    const Eigen::Vector2d east_north(d * std::sin(azimuth), d * std::cos(azimuth));
    const Geodetic point = plane.to_ground(east_north);
    EXPECT_NEAR(ground.surface_distance(origin, point), d, 1e-6);
    EXPECT_NEAR((plane.to_plane(point) - east_north).norm(), 0.0, 1e-6);
  }
}

}  // namespace
}  // namespace ascent::testing
