// How a flight ended, decided once here and named with the same words by
// every client: the console's run files, ascent-trim's reports and CSV, the
// Python package's DataFrames. Only `in_orbit` is a flight one can use.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace ascent {

enum class Outcome {
  in_orbit,               ///< separated on an orbit the vehicle can fly: the only success
  short_of_propellant,    ///< the upper stage needs more main propellant than it holds, or leaves no spacecraft mass
  perigee_below_minimum,  ///< the perigee is under target.minimum_perigee (or under the surface)
  over_load_limit,        ///< in orbit, but a load exceeded the vehicle's limit (mission/load_limits.hpp)
  turn_too_long,          ///< the recovery would end after booster separation: not flown on
  cannot_reach_orbit,     ///< the upper stage can never reach orbit speed, or separates after skimming the atmosphere (FlightResult::failure says why)
};
inline constexpr std::size_t OUTCOME_COUNT = 6;

/// The word of an outcome: "in_orbit", "short_of_propellant", ...
[[nodiscard]] std::string_view outcome_name(Outcome outcome);

/// The outcome of that word, or nullopt.
[[nodiscard]] std::optional<Outcome> outcome_named(std::string_view name);

/// The outcome of a flight whose upper stage separated: a stage that burned
/// more propellant than it holds never flew this flight, nor one whose mass
/// budget leaves no spacecraft mass (`sc_mass` [kg] below 0: its reserve and
/// deorbit propellant outweigh what it delivers), so those are told first;
/// then an orbit too low to stay up (a perigee [m] not above the surface nor
/// at least `minimum_perigee` [m]).
[[nodiscard]] Outcome separated_outcome(double remaining_propellant, double sc_mass,
                                        double perigee, double minimum_perigee);

}  // namespace ascent
