// The Delta III ascent of Betts' example 6.15 read from its deck,
// data/vehicles/delta3.toml, for the tests and the benchmarks of the
// optimal ascent, with the published optima it is checked against.
#pragma once

#include <filesystem>
#include <numbers>

#include "deck/staged_deck.hpp"
#include "studies/staged_ascent_problem.hpp"

namespace ascent::studies {

inline constexpr double DEG = std::numbers::pi / 180.0;
inline constexpr double BETTS_FINAL_MASS = 7529.712;  // [kg]
inline constexpr double PSOPT_FINAL_TIME = 924.141;   // [s]

inline StagedVehicle delta3_vehicle() {
  return read_staged_deck(std::filesystem::path(ASCENT_DATA_DIR) / "vehicles" / "delta3.toml");
}

/// The deck's problem with `segments` in each of the three phases of the
/// first stage and twice as many in the second stage's (at most 700 s).
inline AscentProblem delta3(int segments = 15) {
  return ascent_problem(delta3_vehicle(), {350.0 / segments, segments});
}

}  // namespace ascent::studies
