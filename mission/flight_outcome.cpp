#include "mission/flight_outcome.hpp"

#include <array>

namespace ascent {

namespace {

constexpr std::array<std::string_view, OUTCOME_COUNT> NAMES{
    "in_orbit",        "short_of_propellant", "perigee_below_minimum",
    "over_load_limit", "turn_too_long",       "cannot_reach_orbit"};

}  // namespace

std::string_view outcome_name(Outcome outcome) { return NAMES.at(static_cast<std::size_t>(outcome)); }

std::optional<Outcome> outcome_named(std::string_view name) {
  for (std::size_t i = 0; i < NAMES.size(); ++i) {
    if (NAMES[i] == name) return static_cast<Outcome>(i);
  }
  return std::nullopt;
}

Outcome separated_outcome(double remaining_propellant, double perigee, double minimum_perigee) {
  if (!(remaining_propellant >= 0.0)) return Outcome::short_of_propellant;
  if (!(perigee > 0.0 && perigee >= minimum_perigee)) return Outcome::perigee_below_minimum;
  return Outcome::in_orbit;
}

}  // namespace ascent
