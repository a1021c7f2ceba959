// A flight plan handed from one command to another: the row that
// `ascent-trim optimize --csv` writes (its columns turn_time_s and maxa_deg,
// and the upper stage's guidance and the orbit it aims at) is the plan a
// dispersion study flies with --plan.
#pragma once

#include <filesystem>
#include <string_view>

#include "mission/vehicle.hpp"
#include "studies/flight_runner.hpp"

namespace ascent::studies {

/// A plan: the turn time and the core stage's maximum angle of attack, as
/// typed, and the upper stage's guidance it was found with.
struct Plan {
  TypedNumber turn_time;  ///< [s]
  TypedNumber maxa;       ///< [deg]
  /// The file's guidance column; a file without one is the default law's.
  UpperStageGuidance guidance = UpperStageGuidance::vertical_acceleration;
  /// [m] perigee and apogee altitudes of the orbit a guided plan aims at,
  /// when the file gives them.
  std::optional<double> target_perigee{};
  std::optional<double> target_apogee{};
};

/// The vehicle that flies `plan`: `vehicle` itself, or for a guided plan
/// with its upper stage guided to the plan's target orbit.
[[nodiscard]] Vehicle vehicle_of_plan(const Vehicle& vehicle, const Plan& plan);

/// The plan in the CSV `text` (a header naming turn_time_s and maxa_deg, and
/// perhaps guidance, target_perigee_m and target_apogee_m, then the plan's
/// row); `source` names it in messages. Throws InputError
/// ("source:line: why") for a missing column or row, or a value that is not
/// a number in the program's grammar or out of its range.
[[nodiscard]] Plan parse_plan(std::string_view text, std::string_view source);

/// The plan in the file at `path`. Throws FileError when it cannot be opened
/// or read, and as parse_plan.
[[nodiscard]] Plan read_plan_file(const std::filesystem::path& path);

}  // namespace ascent::studies
