// Values of a vehicle that each lie in their range but contradict each
// other: a vehicle no flight can be made of. A vehicle that can be flown
// but cannot lift off or reach its orbit is a flight result, not checked here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "mission/vehicle.hpp"

namespace ascent {

struct VehicleConflict {
  std::string_view field;  ///< "group.key" of the value the message is about
  std::string what;        ///< the message, naming the values that conflict
};

/// The first conflict of `vehicle`'s values, if any. Every value is taken
/// to be within its field's range.
[[nodiscard]] std::optional<VehicleConflict> vehicle_conflict(const Vehicle& vehicle);

}  // namespace ascent
