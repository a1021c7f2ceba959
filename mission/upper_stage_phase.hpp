// Pieces of the upper stage phase that are worth checking on their own.
#pragma once

#include "dynamics/flight_state.hpp"
#include "mission/flight_result.hpp"

namespace ascent {

/// [s] length of the last mainstage step: the burn time in which the rocket
/// equation gives the speed still missing to `orbit_speed` [m/s] for a stage
/// of `exhaust_velocity` [m/s]. A state already at or above orbit speed gets
/// 0, never a step backwards in time.
[[nodiscard]] Real final_burn_time(const FlightState& state, Real orbit_speed,
                                   Real exhaust_velocity);

/// Why the mainstage burn of a stage loaded with `propellant_load` [kg] can
/// never reach orbit, or `none` while it still can: its mass used up, no
/// thrust while it sinks, thrust below a hundredth of its weight, or more
/// than one load burned beyond its own.
[[nodiscard]] OrbitFailure hopeless_burn(const FlightState& state, Real propellant_load);

}  // namespace ascent
