// The optimum flown by the staged flight engine: the collocation's thrust
// directions (quadratic in each segment) become the engine's steering table,
// sampled finely enough that its linear interpolation follows them, and the
// flight ends at the optimum's final time. The engine integrates with its own steps and events, so the orbit
// it reaches checks the transcription.
#pragma once

#include "mission/staged_flight.hpp"
#include "studies/optimal_ascent.hpp"

namespace ascent::studies {

/// The optimum as a plan of the staged engine: its directions against time
/// (at a staging, the direction after it) and the final time.
[[nodiscard]] StagedPlan optimum_plan(const AscentOptimum& optimum);

/// Flies the deck's vehicle with the optimum's plan, its flight sequence
/// replaced by one phase steered by the plan's table until the final time.
[[nodiscard]] StagedResult fly_optimum(const StagedVehicle& vehicle, const AscentOptimum& optimum);

}  // namespace ascent::studies
