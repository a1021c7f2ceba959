#include "studies/flight_runner.hpp"

#include <cmath>

#include "base/earth.hpp"
#include "base/number.hpp"
#include "mission/recommended_maxa.hpp"
#include "text/event_lines.hpp"

namespace ascent::studies {

std::optional<TypedNumber> typed_number(std::string_view text) {
  const std::optional<double> value = parse_decimal_real(text);
  if (!value) return std::nullopt;
  return TypedNumber{std::string(text), *value};
}

TypedNumber typed_number(double value, int decimals) {
  if (std::isnan(value)) return {"nan", value};
  if (std::isinf(value)) return {value > 0.0 ? "inf" : "-inf", value};
  return *typed_number(decimal_text(value, decimals));
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

}  // namespace ascent::studies
