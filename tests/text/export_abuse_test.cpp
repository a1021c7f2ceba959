// The exported maps and ephemerides given what no reader can use: points
// that are not numbers or lie beyond a pole, states out of order, times out
// of the calendar the files write. Each is refused before a byte is written,
// never written as "nan" or as a year -28107 that a tool takes for data.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "base/runtime_error.hpp"
#include "base/utc_time.hpp"
#include "text/kml_document.hpp"
#include "text/orbit_ephemeris.hpp"

namespace ascent::testing {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double RADIANS = std::numbers::pi / 180.0;

KmlDocument track_through(const Geodetic& point) {
  return {"flight", {{"ascent", {{28.45 * RADIANS, -80.6 * RADIANS, 0.0}, point}}}, {}, {}};
}

TEST(ExportAbuse, AMapRefusesPointsNoToolCanPlace) {
  for (const Geodetic& bad : {Geodetic{NaN, 0.0, 0.0}, Geodetic{0.0, NaN, 0.0},
                              Geodetic{0.0, 0.0, INF}, Geodetic{91.0 * RADIANS, 0.0, 0.0},
                              Geodetic{-90.5 * RADIANS, 0.0, 0.0}}) {
    EXPECT_THROW((void)kml_text(track_through(bad)), InputError);
    KmlDocument place{"flight", {}, {{"impact", "", bad}}, {}};
    EXPECT_THROW((void)kml_text(place), InputError);
  }
  // A longitude past the antimeridian is a place on the map: written from -180 to 180.
  const std::string kml = kml_text(track_through({10.0 * RADIANS, 190.0 * RADIANS, 5.0}));
  EXPECT_NE(kml.find("-170.000000000,10.000000000,5.000"), std::string::npos) << kml;
  EXPECT_EQ(kml.find("nan"), std::string::npos);
}

OrbitEphemeris two_states(double first, double second) {
  const UtcTime launch = UtcTime::parse("2026-12-08T14:30:00Z");
  OrbitEphemeris e;
  e.creation_date = launch;
  e.object_name = e.object_id = "ascent";
  e.states = {{launch.plus(first), {6.5e6, 0.0, 0.0}, {0.0, 7.8e3, 0.0}},
              {launch.plus(second), {6.5e6, 1.0, 0.0}, {0.0, 7.8e3, 0.0}}};
  return e;
}

TEST(ExportAbuse, AnEphemerisRefusesStatesOutOfOrderOrNotFinite) {
  EXPECT_NO_THROW((void)oem_text(two_states(0.0, 1.0)));
  EXPECT_THROW((void)oem_text(two_states(1.0, 0.0)), InputError);
  EXPECT_THROW((void)oem_text(two_states(1.0, 1.0)), InputError);
  OrbitEphemeris not_finite = two_states(0.0, 1.0);
  not_finite.states[1].velocity.z() = NaN;
  EXPECT_THROW((void)oem_text(not_finite), InputError);
  not_finite.states[1].velocity.z() = 0.0;
  not_finite.states[0].position.x() = INF;
  EXPECT_THROW((void)oem_text(not_finite), InputError);
}

TEST(ExportAbuse, TimesStayInTheYearsTheFilesWrite) {
  const UtcTime launch = UtcTime::parse("2026-12-08T14:30:00Z");
  for (const double seconds : {NaN, INF, -INF, 1e300, 1e12, -1e12}) {
    EXPECT_THROW((void)launch.plus(seconds), InputError) << seconds;
  }
  EXPECT_EQ(UtcTime::parse("9999-12-31T23:59:58Z").plus(1.0).iso(), "9999-12-31T23:59:59.000000");
  EXPECT_THROW((void)UtcTime::parse("9999-12-31T23:59:59Z").plus(1.0), InputError);
  EXPECT_EQ(UtcTime::parse("0001-01-01T00:00:01Z").plus(-1.0).iso(), "0001-01-01T00:00:00.000000");
  EXPECT_THROW((void)UtcTime::parse("0001-01-01T00:00:00Z").plus(-1.0), InputError);
  EXPECT_EQ(launch.plus(90.5).iso(), "2026-12-08T14:31:30.500000");
}

}  // namespace
}  // namespace ascent::testing
