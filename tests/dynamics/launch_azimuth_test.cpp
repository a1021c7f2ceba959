// The launch azimuth against orbital mechanics: a vehicle that leaves the
// launch latitude along the azimuth at the orbital speed (the pad's eastward
// speed included) flies in an orbit of the inclination asked for.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "dynamics/launch_azimuth.hpp"
#include "dynamics/orbital_elements.hpp"

namespace ascent::testing {
namespace {

constexpr double PI = std::numbers::pi;
constexpr double DEG = PI / 180.0;

struct Site {
  Vector3 position, east, north;
};

Site site_at(const EarthModel& earth, double latitude, double longitude) {
  const double cp = std::cos(latitude), sp = std::sin(latitude);
  const double cl = std::cos(longitude), sl = std::sin(longitude);
  return {earth.equatorial_radius * Vector3{cp * cl, cp * sl, sp}, Vector3{-sl, cl, 0.0},
          Vector3{-sp * cl, -sp * sl, cp}};
}

/// The inertial velocity of the horizontal Earth-relative velocity along
/// `azimuth` whose inertial speed is `speed`: |s (sin b E + cos b N) + w x r| = speed.
Vector3 inertial_velocity(const EarthModel& earth, const Site& site, double azimuth,
                          double speed) {
  const Vector3 pad = earth.rotation().cross(site.position);
  const Vector3 heading = std::sin(azimuth) * site.east + std::cos(azimuth) * site.north;
  const double along = pad.dot(heading);
  const double s = -along + std::sqrt(along * along - pad.squaredNorm() + speed * speed);
  return s * heading + pad;
}

TEST(LaunchAzimuth, ReachesTheInclinationOnEitherPass) {
  const EarthModel earth;
  const double mu = earth.gravitational_parameter;
  const double speed = std::sqrt(mu / earth.equatorial_radius);
  struct Case {
    double latitude, inclination;
  };
  const Case cases[] = {{28.45, 51.6}, {28.5, 28.6}, {5.2, 98.7}, {-7.5, 60.0}, {45.9, 51.6},
                        {62.9, 97.5}, {0.0, 0.5}};
  for (const Case& c : cases) {
    for (OrbitPass pass : {OrbitPass::ascending, OrbitPass::descending}) {
      const std::optional<double> azimuth =
          launch_azimuth(earth, c.latitude * DEG, c.inclination * DEG, speed, pass);
      ASSERT_TRUE(azimuth.has_value()) << c.latitude << " " << c.inclination;
      const Site site = site_at(earth, c.latitude * DEG, 1.0);
      const Vector3 v = inertial_velocity(earth, site, *azimuth, speed);
      const OrbitalElements el = orbital_elements(mu, site.position, v);
      EXPECT_NEAR(el.inclination / DEG, c.inclination, 1e-9) << c.latitude;
      // Northward after the ascending node, southward before the descending one.
      EXPECT_EQ(v.dot(site.north) > 0.0, pass == OrbitPass::ascending) << c.latitude;
    }
  }
}

TEST(LaunchAzimuth, PadSpeedTurnsTheAzimuthAwayFromTheInertialOne) {
  // Without rotation the azimuth is the inertial one, asin(cos i / cos phi);
  // the pad's eastward speed is taken off the eastward part, turning it north.
  EarthModel still;
  still.rotation_rate = 0.0;
  const EarthModel turning;
  const double speed = 7800.0;
  const double inertial = launch_azimuth(still, 28.5 * DEG, 51.6 * DEG, speed).value();
  EXPECT_NEAR(std::sin(inertial), std::cos(51.6 * DEG) / std::cos(28.5 * DEG), 1e-15);
  EXPECT_LT(launch_azimuth(turning, 28.5 * DEG, 51.6 * DEG, speed).value(), inertial);
}

TEST(LaunchAzimuth, DueEastGivesTheLatitudeAsInclination) {
  const EarthModel earth;
  const double mu = earth.gravitational_parameter;
  for (double latitude : {0.0, 28.45, -34.6, 51.0}) {
    const double phi = latitude * DEG;
    EXPECT_NEAR(launch_azimuth(earth, phi, std::fabs(phi), 7800.0).value(), PI / 2, 1e-7);
    const Site site = site_at(earth, phi, -0.7);
    const Vector3 v = inertial_velocity(earth, site, PI / 2, 7900.0);
    EXPECT_NEAR(orbital_elements(mu, site.position, v).inclination, std::fabs(phi), 1e-12);
  }
}

TEST(LaunchAzimuth, NoneBelowTheLatitudeOrBeyondItsRetrogradeMirror) {
  const EarthModel earth;
  EXPECT_FALSE(launch_azimuth(earth, 28.5 * DEG, 28.4 * DEG, 7800.0).has_value());
  EXPECT_FALSE(launch_azimuth(earth, -28.5 * DEG, 10.0 * DEG, 7800.0).has_value());
  EXPECT_FALSE(launch_azimuth(earth, 28.5 * DEG, 151.6 * DEG, 7800.0).has_value());
  EXPECT_TRUE(launch_azimuth(earth, 28.5 * DEG, 151.4 * DEG, 7800.0).has_value());
  EXPECT_FALSE(launch_azimuth(earth, 28.5 * DEG, std::nan(""), 7800.0).has_value());
}

}  // namespace
}  // namespace ascent::testing
