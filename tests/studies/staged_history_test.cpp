// The staged history's place over the ground against closed forms: a point
// given by WGS84 geodetic coordinates (N = a / sqrt(1 - e^2 sin^2 phi), the
// standard forward conversion) reads back as them, the longitude turns with
// the Earth, and the azimuth and flight-path angle of a velocity relative to
// the turning Earth are those it was built with.
#include "studies/staged_history.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string_view>

namespace ascent::testing {

using studies::Column;
using studies::staged_history_columns;
using studies::StagedHistoryRow;
using studies::StagedHistoryRows;

namespace {

constexpr double PI = std::numbers::pi;
constexpr double DEG = PI / 180.0;
// WGS84 (NIMA TR8350.2): semi-major axis and flattening.
constexpr double A = 6378137.0;
constexpr double F = 1.0 / 298.257223563;

/// The column of that name in a row.
double column(const StagedHistoryRow& row, std::string_view name) {
  const std::span<const Column> names = staged_history_columns();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i].name == name) return row[i];
  }
  throw std::runtime_error("no column " + std::string(name));
}

/// Earth-fixed = inertial at t = 0: the position of a geodetic point.
Vector3 from_geodetic(double latitude, double longitude, double height) {
  const double e2 = F * (2.0 - F);
  const double N = A / std::sqrt(1.0 - e2 * std::pow(std::sin(latitude), 2));
  return {(N + height) * std::cos(latitude) * std::cos(longitude),
          (N + height) * std::cos(latitude) * std::sin(longitude),
          (N * (1.0 - e2) + height) * std::sin(latitude)};
}

StagedSample sample_at(double t, const Vector3& position, const Vector3& velocity) {
  StagedSample s{};
  s.t = t;
  s.state = {position, velocity, 1000.0};
  return s;
}

TEST(StagedHistory, AGeodeticPointReadsBackOverWgs84) {
  const StagedVehicle vehicle;
  const StagedHistoryRows rows(vehicle);
  for (const double latitude : {-80.0, -34.7, 0.0, 28.45, 62.0}) {
    for (const double height : {0.0, 50000.0, 500000.0}) {
      const Vector3 r = from_geodetic(latitude * DEG, -120.6 * DEG, height);
      const StagedHistoryRow row = rows(sample_at(0.0, r, Vector3::Zero()));
      EXPECT_NEAR(column(row, "geodetic_latitude_deg"), latitude, 1e-9) << latitude << " " << height;
      EXPECT_NEAR(column(row, "longitude_deg"), -120.6, 1e-9);
      EXPECT_NEAR(column(row, "geodetic_altitude_m"), height, 1e-6);
      // Geocentric over the sphere: the latitude of the position vector.
      EXPECT_NEAR(column(row, "latitude_deg"), std::asin(r.z() / r.norm()) / DEG, 1e-12);
    }
  }
}

TEST(StagedHistory, TheLongitudeTurnsWithTheEarth) {
  const StagedVehicle vehicle;
  const StagedHistoryRows rows(vehicle);
  const Vector3 r = from_geodetic(10.0 * DEG, 30.0 * DEG, 1000.0);
  const double hour = 3600.0;
  const StagedHistoryRow later = rows(sample_at(hour, r, Vector3::Zero()));
  EXPECT_NEAR(column(later, "longitude_deg"), 30.0 - vehicle.earth.rotation_rate * hour / DEG, 1e-9);
  EXPECT_NEAR(column(later, "geodetic_latitude_deg"), 10.0, 1e-9);
}

TEST(StagedHistory, AzimuthAndPathAngleAreThoseOfTheVelocityOverTheGround) {
  const StagedVehicle vehicle;
  const StagedHistoryRows rows(vehicle);
  // On the equator at longitude 0 (the x axis): east is y, north is z.
  const Vector3 r{A + 1000.0, 0.0, 0.0};
  const double gamma = 12.0 * DEG;
  const double azimuth = 200.0 * DEG;  // south-south-west
  const double speed = 3000.0;
  const Vector3 over_ground =
      speed * (std::cos(gamma) * (std::sin(azimuth) * Vector3::UnitY() + std::cos(azimuth) * Vector3::UnitZ()) +
               std::sin(gamma) * Vector3::UnitX());
  const Vector3 inertial = over_ground + vehicle.earth.rotation().cross(r);
  const StagedHistoryRow row = rows(sample_at(0.0, r, inertial));
  EXPECT_NEAR(std::remainder(column(row, "azimuth_deg") - 200.0, 360.0), 0.0, 1e-9);
  EXPECT_NEAR(column(row, "flight_path_angle_deg"), 12.0, 1e-9);
  EXPECT_NEAR(column(row, "speed_m_s"), inertial.norm(), 1e-9);
}

}  // namespace
}  // namespace ascent::testing
