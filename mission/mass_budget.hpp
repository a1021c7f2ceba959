// The upper stage's mass budget: what a flight to orbit leaves for the
// spacecraft once the interstage, the reserve and the deorbit propellant are
// booked.
#pragma once

#include "dynamics/flight_state.hpp"
#include "mission/flight_result.hpp"
#include "mission/vehicle.hpp"

namespace ascent {

/// The budget for a flight ending in `state`, whose upper stage gained `dV_upper` [m/s].
[[nodiscard]] MassBudget upper_stage_mass_budget(const Vehicle& vehicle, const FlightState& state,
                                                 Real dV_upper);

}  // namespace ascent
