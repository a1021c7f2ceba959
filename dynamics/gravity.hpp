// Gravitational acceleration of the Earth model: the central field and the
// J2 term of the oblate Earth, in the Earth-centred inertial frame.
#pragma once

#include "dynamics/earth_model.hpp"
#include "dynamics/vector3.hpp"

namespace ascent {

/// [m/s^2] at `position` [m] from the Earth's centre (z along the pole).
[[nodiscard]] Vector3 gravity(const EarthModel& earth, const Vector3& position);

}  // namespace ascent
