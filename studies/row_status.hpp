// The status of a row of a study (a turn time of a sweep, a case of a
// dispersion study): the outcome of its flight, or why it has no flight to
// report. Every client writes these words; only in_orbit is feasible.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "mission/flight_outcome.hpp"

namespace ascent::studies {

enum class RowStatus {
  // The flight's outcome, in the order of Outcome.
  in_orbit,
  short_of_propellant,
  perigee_below_minimum,
  over_load_limit,
  turn_too_long,
  cannot_reach_orbit,
  // No flight to report.
  out_of_reach,   ///< no angle from 0 to the largest reaches the target
  not_converged,  ///< the trim found no angle within the tolerance
  out_of_range,   ///< a drawn value cannot be flown (a negative mass, ...): not flown
  flight_error,   ///< the flight stopped with an error (the thrust history cannot be flown, ...)
};
inline constexpr std::size_t ROW_STATUS_COUNT = 10;

[[nodiscard]] RowStatus row_status(Outcome outcome);

/// The word of a status: the outcome's for a flight's, else "out_of_reach", ...
[[nodiscard]] std::string_view row_status_name(RowStatus status);

/// The status of that word, or nullopt.
[[nodiscard]] std::optional<RowStatus> row_status_named(std::string_view name);

}  // namespace ascent::studies
