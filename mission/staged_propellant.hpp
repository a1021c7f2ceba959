// An element's propellant against its burn time: what one unit burns at its
// vacuum thrust over its exhaust velocity, and how long its tanks last.
#pragma once

#include <optional>

#include "mission/staged_vehicle.hpp"

namespace ascent {

/// [kg] propellant one unit of `e` burns in the first `burning` [s] after ignition.
[[nodiscard]] double propellant_burned(const Element& e, double burning);

/// [s] from ignition until one unit's propellant is used up, or until its
/// thrust table ends at no thrust; none for an engine without thrust.
[[nodiscard]] std::optional<double> burn_duration(const Element& e);

/// [s] from `from` [s] after ignition until one unit at full thrust has
/// burned `propellant` [kg] more (or its thrust table ends at no thrust).
[[nodiscard]] std::optional<double> burn_duration(const Element& e, double from, double propellant);

}  // namespace ascent
