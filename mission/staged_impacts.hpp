// Where the elements a staged flight drops come down: each jettison event's
// state, with the element's own mass, falls ballistically over the vehicle's
// Earth and air (mission/ballistic_fall.hpp).
//
// The deck gives no drag of a spent element: it falls with the vehicle's
// reference area at its jettison (per unit of a group of strap-ons) and the
// default drag coefficient DEFAULT_FALL_DRAG_COEFFICIENT.
#pragma once

#include <vector>

#include "mission/impact_points.hpp"
#include "mission/staged_flight.hpp"

namespace ascent {

/// The world of the vehicle's flight: its Earth and air, the ground on its
/// sphere or on WGS84, and its pad. The inertial x axis points to longitude
/// 0 at launch.
[[nodiscard]] FallWorld staged_fall_world(const StagedVehicle& vehicle, bool wgs84);

/// One unit of every element jettisoned during the flight, at its jettison.
[[nodiscard]] std::vector<Jettison> staged_jettisons(const StagedVehicle& vehicle,
                                                     const StagedResult& result);

}  // namespace ascent
