// The launch azimuth that puts a vehicle into an orbit of a given inclination
// from a launch site's latitude, corrected for the speed the pad already has
// from the Earth's rotation.
#pragma once

#include <optional>

#include "dynamics/earth_model.hpp"

namespace ascent {

/// Which crossing of the launch latitude the vehicle flies: northward after
/// the ascending node, or southward towards the descending node.
enum class OrbitPass { ascending, descending };

/// [rad] the azimuth (from north, eastward positive) of the velocity relative
/// to the rotating Earth that reaches `inclination` [rad] from `latitude`
/// [rad] at the inertial speed `orbital_speed` [m/s]:
///   sin beta_I = cos i / cos phi (the inertial azimuth),
///   beta = atan2(v sin beta_I - omega R cos phi, v cos beta_I),
/// and pi - beta for the descending pass. None where no azimuth reaches the
/// inclination without a plane change: |cos i| > cos phi.
[[nodiscard]] std::optional<double> launch_azimuth(const EarthModel& earth, double latitude,
                                                   double inclination, double orbital_speed,
                                                   OrbitPass pass = OrbitPass::ascending);

}  // namespace ascent
