#include "dynamics/sidereal_time.hpp"

#include <cmath>
#include <numbers>

namespace ascent {

namespace {
/// [d] Julian date of the epoch J2000.0.
constexpr double J2000 = 2451545.0;
constexpr double DAYS_PER_CENTURY = 36525.0;
}  // namespace

double greenwich_mean_sidereal_time(const UtcTime& time) {
  // Vallado, Fundamentals of Astrodynamics, eq. 3-47, in seconds of time.
  const double t = (time.julian_date() - J2000) / DAYS_PER_CENTURY;
  const double seconds = 67310.54841 + (876600.0 * 3600.0 + 8640184.812866) * t +
                         0.093104 * t * t - 6.2e-6 * t * t * t;
  const double turn = 2.0 * std::numbers::pi;
  const double angle = std::fmod(seconds / 86400.0 * turn, turn);
  return angle < 0.0 ? angle + turn : angle;
}

double launch_frame_right_ascension(const UtcTime& launch, double longitude_at_launch) {
  return greenwich_mean_sidereal_time(launch) + longitude_at_launch;
}

}  // namespace ascent
