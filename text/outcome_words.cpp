#include "text/outcome_words.hpp"

#include <cstdio>
#include <string_view>
#include <utility>

namespace ascent {

std::string decimal_text(double value, int decimals) {
  // The largest double has 309 digits before the point.
  char buffer[320 + 32];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

std::string over_limit_text(const LoadBreach& breach) {
  const auto [name, unit] = [&]() -> std::pair<std::string_view, std::string_view> {
    switch (breach.kind) {
      case LoadKind::dynamic_pressure:
        return {"dynamic pressure", "Pa"};
      case LoadKind::q_alpha:
        return {"dynamic pressure times angle of attack", "Pa*deg"};
      case LoadKind::axial_acceleration:
        break;
    }
    return {"axial acceleration", "m/s^2"};
  }();
  std::string in_unit(1, ' ');
  in_unit += unit;
  const auto number = [&in_unit](double x, int decimals) {
    return decimal_text(x, decimals) + in_unit;
  };
  return std::string(name) + " " + number(breach.maximum, 1) + " over the limit of " +
         number(breach.limit, 1) + " by " + number(breach.excess(), 1) + " at " +
         decimal_text(breach.time, 2) + " s";
}

namespace {

std::string kilometres(double metres) { return decimal_text(metres / 1000.0, 3) + " km"; }

}  // namespace

std::string separated_message(const FlightResult& result, const Vehicle& vehicle) {
  switch (result.outcome) {
    case Outcome::short_of_propellant:
      if (result.remaining_propellant < 0.0) {
        return "the upper stage needs " + decimal_text(-result.remaining_propellant, 0) +
               " kg more propellant than it holds";
      }
      return "the mass budget leaves no spacecraft mass (SC_M " +
             decimal_text(result.budget.SC_M, 0) + " kg)";
    case Outcome::perigee_below_minimum:
      return "the perigee " + kilometres(result.orbit.perigee) + " is below the minimum " +
             kilometres(vehicle.target.minimum_perigee) +
             (result.orbit.perigee > 0.0 ? "" : " (below the surface)");
    case Outcome::over_load_limit:
      return over_limit_text(*load_breach(result.maxima, vehicle.limits));
    case Outcome::cannot_reach_orbit:
      return "after core separation the upper stage skims the atmosphere: dynamic pressure " +
             decimal_text(result.upper_stage_max_dynamic_pressure, 0) + " Pa at " +
             kilometres(result.upper_stage_max_dynamic_pressure_altitude) +
             ", over the " + decimal_text(SKIMMING_DYNAMIC_PRESSURE, 0) +
             " Pa it may meet with its fairing gone";
    default:
      return "";
  }
}

}  // namespace ascent
