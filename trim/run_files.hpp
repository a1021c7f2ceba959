// The files of one flight as the interactive program writes them: the output
// file, the four plot files and the constants file, through the dialogue's
// own writers.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "mission/vehicle.hpp"
#include "studies/flight_runner.hpp"

namespace ascent::trim {

/// Writes in `folder` what `ascent` writes for the output file `output_name`
/// and the answers `turn_time`, `maxa` and a negative turn time, reading the
/// booster thrust file `thrust_file`, and the vehicle read from the vehicle
/// deck `vehicle_deck` (empty for the built-in one), which no file written
/// may reach. Returns 0, or the error number of a failure, whose report goes
/// to `report`.
int write_run_files(const Vehicle& vehicle, const std::filesystem::path& thrust_file,
                    const studies::TypedNumber& turn_time, const studies::TypedNumber& maxa,
                    const std::filesystem::path& folder, const std::string& output_name,
                    std::FILE* report, const std::filesystem::path& vehicle_deck = {});

}  // namespace ascent::trim
