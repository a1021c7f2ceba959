// Whether a number can be the value of a vehicle field: the check a deck's
// values and a script's assignments share, with the deck's words.
#pragma once

#include <string>

#include "mission/vehicle_fields.hpp"

namespace ascent {

/// Why `x` cannot be the value of `field` ("" when it can): a count that is
/// not a whole number, or a value outside the field's range.
[[nodiscard]] std::string field_value_fault(const VehicleField& field, double x);

}  // namespace ascent
