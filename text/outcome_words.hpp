// Why a flight that reached separation is not in orbit, in the words every
// client shows: the console's warning line, ascent-trim's reports and CSV
// messages, the Python package's `message` column.
#pragma once

#include <string>

#include "mission/flight_result.hpp"
#include "mission/load_limits.hpp"
#include "mission/vehicle.hpp"

namespace ascent {

/// `value` with `decimals` decimals, trailing zeros (and a bare point)
/// dropped: "1324", "44.744", "100".
[[nodiscard]] std::string decimal_text(double value, int decimals);

/// Why a flight of `vehicle` that separated is not in orbit; "" when it is.
[[nodiscard]] std::string separated_message(const FlightResult& result, const Vehicle& vehicle);

/// "dynamic pressure 41234 Pa over the limit of 40000 Pa by 1234 Pa at 62.3 s".
[[nodiscard]] std::string over_limit_text(const LoadBreach& breach);

}  // namespace ascent
