// The upper stage's constants file: the mass budget of the last run as
// constants to paste into the stage's own sizing, written at the end of every
// run so that it always holds one whole budget.
#pragma once

#include <filesystem>

#include "mission/flight_result.hpp"
#include "mission/vehicle.hpp"

namespace ascent {

/// Writes the budget to `path`, replacing the old file only once the new one
/// is whole.
void write_constants_file(const std::filesystem::path& path, const MassBudget& budget,
                          const Vehicle& vehicle);

}  // namespace ascent
