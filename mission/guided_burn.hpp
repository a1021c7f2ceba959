// The guided mainstage burn on its own, from whatever state the stage is in:
// the flight calls it after the thrust ramp; tests start it from dispersed states.
#pragma once

#include "dynamics/flight_dynamics.hpp"
#include "mission/flight_result.hpp"
#include "mission/vehicle.hpp"

namespace ascent {

/// Steers the burning upper stage in `dynamics` to `vehicle`'s target orbit
/// and cuts off there (the thrust is left on: the caller ends it). Returns
/// why the target cannot be reached, the state then where it gave up, or
/// `none` at cutoff.
[[nodiscard]] OrbitFailure burn_to_target_orbit(FlightDynamics& dynamics, const Vehicle& vehicle);

}  // namespace ascent
