// UTC times read and written, and Greenwich mean sidereal time against
// published values.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "base/runtime_error.hpp"
#include "base/utc_time.hpp"
#include "dynamics/sidereal_time.hpp"

namespace ascent::testing {
namespace {

constexpr double DEGREE = std::numbers::pi / 180.0;

TEST(UtcTime, ReadsAndWritesIsoTimesToTheMicrosecond) {
  // J2000.0 is JD 2451545.0; the Unix epoch JD 2440587.5.
  EXPECT_DOUBLE_EQ(UtcTime::parse("2000-01-01T12:00:00Z").julian_date(), 2451545.0);
  EXPECT_EQ(UtcTime::parse("1970-01-01T00:00:00").microseconds, 0);
  EXPECT_EQ(UtcTime::parse("1970-01-02 00:00:01.5").microseconds, 86401500000);
  EXPECT_EQ(UtcTime::parse("1969-12-31T23:59:59Z").iso(), "1969-12-31T23:59:59.000000");
  for (const char* text : {"2026-12-08T14:30:07.250000", "2024-02-29T23:59:59.999999",
                           "1999-12-31T00:00:00.000001"}) {
    EXPECT_EQ(UtcTime::parse(text).iso(), text);
  }
  // Across a day, a month and a leap year's end.
  EXPECT_EQ(UtcTime::parse("2024-12-31T23:59:30Z").plus(45.0000004).iso(),
            "2025-01-01T00:00:15.000000");
  EXPECT_EQ(UtcTime::parse("2024-02-28T12:00:00").plus(86400.0).iso(),
            "2024-02-29T12:00:00.000000");
}

TEST(UtcTime, RefusesWhatIsNoTime) {
  for (const char* text : {"", "2026-12-08", "2026-13-01T00:00:00", "2025-02-29T00:00:00",
                           "2026-12-08T24:00:00", "2026-12-08T12:00:00.", "2026/12/08T12:00:00",
                           "2026-12-08T12:00:00+01:00", "2026-12-08T12:00:0x"}) {
    EXPECT_THROW((void)UtcTime::parse(text), InputError) << text;
  }
}

TEST(SiderealTime, MatchesPublishedValues) {
  // Vallado, Fundamentals of Astrodynamics and Applications, example 3-5:
  // 1992 August 20, 12:14 UT1 -> GMST 152.578787810 deg.
  EXPECT_NEAR(greenwich_mean_sidereal_time(UtcTime::parse("1992-08-20T12:14:00")),
              152.578787810 * DEGREE, 1e-8 * DEGREE);
  // At J2000.0 the IAU 1982 expression gives 18h 41m 50.54841s = 280.46061837 deg.
  EXPECT_NEAR(greenwich_mean_sidereal_time(UtcTime::parse("2000-01-01T12:00:00")),
              280.46061837 * DEGREE, 1e-8 * DEGREE);
  // A sidereal day later (86164.0905 s) the Earth shows the stars the same face.
  const UtcTime start = UtcTime::parse("2026-12-08T00:00:00");
  EXPECT_NEAR(std::remainder(greenwich_mean_sidereal_time(start.plus(86164.0905)) -
                                 greenwich_mean_sidereal_time(start),
                             2.0 * std::numbers::pi),
              0.0, 1e-6);
  EXPECT_DOUBLE_EQ(launch_frame_right_ascension(start, 0.25),
                   greenwich_mean_sidereal_time(start) + 0.25);
}

}  // namespace
}  // namespace ascent::testing
