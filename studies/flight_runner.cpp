#include "studies/flight_runner.hpp"

#include <cmath>
#include <cstdio>
#include <utility>

#include "base/earth.hpp"
#include "base/number.hpp"
#include "mission/recommended_maxa.hpp"
#include "text/event_lines.hpp"

namespace ascent::trim {

std::optional<TypedNumber> typed_number(std::string_view text) {
  const std::optional<double> value = parse_decimal_real(text);
  if (!value) return std::nullopt;
  return TypedNumber{std::string(text), *value};
}

TypedNumber typed_number(double value, int decimals) {
  if (std::isnan(value)) return {"nan", value};
  if (std::isinf(value)) return {value > 0.0 ? "inf" : "-inf", value};
  // The largest double has 309 digits before the point.
  char buffer[320 + 32];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return *typed_number(text);
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
    return typed_number(x, decimals).text + in_unit;
  };
  return std::string(name) + " " + number(breach.maximum, 1) + " over the limit of " +
         number(breach.limit, 1) + " by " + number(breach.excess(), 1) + " at " +
         typed_number(breach.time, 2).text + " s";
}

namespace {

std::string kilometres(double metres) { return typed_number(metres / 1000.0, 3).text + " km"; }

}  // namespace

std::string separated_message(const FlightResult& result, const Vehicle& vehicle) {
  switch (result.outcome) {
    case Outcome::short_of_propellant:
      if (result.remaining_propellant < 0.0) {
        return "the upper stage needs " + typed_number(-result.remaining_propellant, 0).text +
               " kg more propellant than it holds";
      }
      return "the mass budget leaves no spacecraft mass (SC_M " +
             typed_number(result.budget.SC_M, 0).text + " kg)";
    case Outcome::perigee_below_minimum:
      return "the perigee " + kilometres(result.orbit.perigee) + " is below the minimum " +
             kilometres(vehicle.target.minimum_perigee) +
             (result.orbit.perigee > 0.0 ? "" : " (below the surface)");
    case Outcome::over_load_limit:
      return over_limit_text(*load_breach(result.maxima, vehicle.limits));
    default:
      return "";
  }
}

namespace {

/// What the trim tool takes from a flight of `vehicle`.
FlightOutcome outcome_of(const FlightResult& result, const Vehicle& vehicle) {
  FlightOutcome outcome;
  outcome.outcome = result.outcome;
  outcome.maxa_flown = result.maxa_flown;
  outcome.separated = result.separated();
  outcome.above_surface = outcome.separated && result.orbit.perigee > 0.0;
  outcome.loads = result.maxima;
  if (!outcome.separated) {
    outcome.message = std::string(early_end_reason(result, vehicle).view());
    return outcome;
  }
  outcome.perigee = result.orbit.perigee;
  outcome.apogee = result.orbit.apogee;
  outcome.average_altitude = result.orbit.average_altitude;
  outcome.remaining_propellant = result.remaining_propellant;
  outcome.SC_M = result.budget.SC_M;
  outcome.SC_M_unrounded = result.budget.SC_M_unrounded;
  outcome.dV = result.delta_v;
  RecommendedMaxa secant;
  secant.add_run(result.maxa, result.orbit.average_altitude, vehicle.target.altitude);
  outcome.recommended_maxa = static_cast<double>(secant.recommended() * 180.0L / PI);
  outcome.message = separated_message(result, vehicle);
  return outcome;
}

}  // namespace

FlightOutcome fly(const FlightRequest& request) {
  FlightPlan plan;
  plan.turn_time = request.turn_time.value;
  plan.maxa = request.maxa.value;
  plan.aero = request.aero;
  return outcome_of(ascent::fly(*request.vehicle, *request.thrust, plan, request.observer),
                    *request.vehicle);
}

FlightOutcome fly_on(const FlightAtSeparation& at_separation, const TypedNumber& maxa) {
  return outcome_of(at_separation.fly_on(maxa.value), at_separation.vehicle());
}

}  // namespace ascent::trim
