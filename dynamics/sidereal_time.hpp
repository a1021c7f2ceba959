// The Earth's orientation among the stars at a UTC time: Greenwich mean
// sidereal time (IAU 1982, UT1 taken as UTC), which places the flight's
// inertial frame in the true-equator, mean-equinox frame (TEME) that
// exported ephemerides name.
#pragma once

#include <Eigen/Core>

#include "base/utc_time.hpp"

namespace ascent {

/// [rad] Greenwich mean sidereal time at `time`, in [0, 2 pi).
[[nodiscard]] double greenwich_mean_sidereal_time(const UtcTime& time);

/// [rad] the angle from TEME's x axis (the mean equinox) to the flight's
/// inertial x axis, which at `launch` points to the Earth-fixed
/// `longitude_at_launch` [rad]: the inertial frame is TEME turned by it about z.
[[nodiscard]] double launch_frame_right_ascension(const UtcTime& launch, double longitude_at_launch);

}  // namespace ascent
