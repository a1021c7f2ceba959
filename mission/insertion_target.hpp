// Where a staged vehicle's guided stage inserts: the perigee of the deck's
// target orbit, in the target's plane. The plane is the node's and the
// inclination's when the deck gives a node; otherwise the plane of the
// target's inclination through the pad at liftoff, on the deck's pass
// (ascending or descending), the one the launch azimuth aims at.
#pragma once

#include "mission/powered_explicit_guidance.hpp"
#include "mission/staged_vehicle.hpp"

namespace ascent {

/// [1] unit normal (along the angular momentum) of the orbit of
/// `inclination` [rad] and `ascending_node` [rad], inertial axes.
[[nodiscard]] Vector3 orbit_normal(double inclination, double ascending_node);

/// [rad] the node of the plane of `inclination` through `pad` [m, inertial]
/// on `pass`; at a latitude above the inclination, the plane passing closest.
[[nodiscard]] double node_through(const Vector3& pad, double inclination, OrbitPass pass);

/// The insertion the guided stage of `vehicle` aims at, with the pad at
/// `pad_at_liftoff` [m, inertial].
[[nodiscard]] InsertionTarget insertion_target(const StagedVehicle& vehicle, const Vector3& pad_at_liftoff);

}  // namespace ascent
