// An element's propellant against its burn time: what one unit burns at its
// vacuum thrust over its exhaust velocity, and how long its tanks last.
#pragma once

#include <optional>

#include "mission/staged_vehicle.hpp"

namespace ascent {

/// [kg] propellant one unit of `e` burns in the first `burning` [s] after ignition.
[[nodiscard]] double propellant_burned(const Element& e, double burning);

/// [s] from ignition until one unit's propellant is used up; none when its
/// thrust falls to zero first and stays there.
[[nodiscard]] std::optional<double> burn_duration(const Element& e);

}  // namespace ascent
