#include "studies/target.hpp"

#include "base/runtime_error.hpp"
#include "text/event_lines.hpp"

namespace ascent::studies {

namespace {

void check_target(const TargetOrbit& target) {
  const auto in_range = [](double altitude) {
    return altitude >= MINIMUM_TARGET_PERIGEE && altitude <= MAXIMUM_TARGET_APOGEE;
  };
  if (!in_range(target.perigee_altitude()) || !in_range(target.apogee_altitude())) {
    throw InputError(ErrorCode::range_check,
                     "the target's perigee and apogee must be from 100000 m to 1000000 m");
  }
  if (target.perigee_altitude() > target.apogee_altitude()) {
    throw InputError(ErrorCode::range_check, "the target's perigee is above its apogee");
  }
}

}  // namespace

Vehicle guided_vehicle(const Vehicle& vehicle, std::optional<double> perigee,
                       std::optional<double> apogee) {
  if (perigee.has_value() != apogee.has_value()) {
    throw InputError(ErrorCode::range_check, "give the target's perigee and apogee together");
  }
  Vehicle guided = vehicle;
  guided.upper_stage.guidance = UpperStageGuidance::orbit_insertion;
  if (perigee) {
    guided.target.perigee = *perigee;
    guided.target.apogee = *apogee;
    guided.target.altitude = (*perigee + *apogee) / 2.0;
  }
  check_target(guided.target);
  return guided;
}

bool guided(const Vehicle& vehicle) {
  return vehicle.upper_stage.guidance == UpperStageGuidance::orbit_insertion;
}

TrimResult default_law_trim(const TrimSettings& settings, const TypedNumber& turn_time) {
  TrimSettings unguided = settings;
  TargetOrbit& target = unguided.vehicle.target;
  target = TargetOrbit{target.perigee_altitude(), target.minimum_perigee, 0.0, 0.0};
  unguided.vehicle.upper_stage.guidance = UpperStageGuidance::vertical_acceleration;
  return trim_turn_time(unguided, turn_time);
}

TargetResult fly_to_target(const TargetRequest& request) {
  TrimSettings settings = request.settings;
  settings.vehicle = guided_vehicle(settings.vehicle, request.perigee, request.apogee);
  const TargetOrbit& target = settings.vehicle.target;
  TargetResult result;
  result.turn_time = request.turn_time;
  result.target_perigee = target.perigee_altitude();
  result.target_apogee = target.apogee_altitude();
  if (request.maxa) {
    result.maxa = *request.maxa;
  } else {
    const TrimResult trimmed = default_law_trim(settings, request.turn_time);
    result.flights = static_cast<int>(trimmed.flights.size());
    if (!trimmed.trimmed()) {
      result.status = status_of(trimmed.status, trimmed.flight);
      result.reason = "the core stage's angle is not trimmed: " + trimmed.message;
      return result;
    }
    result.maxa = trimmed.maxa;
    result.maxa_trimmed = true;
  }
  if (request.settings.interruption) request.settings.interruption();
  FlightPlan plan{request.turn_time.value, result.maxa.value, {}, request.settings.aero};
  result.flight = fly(settings.vehicle, settings.thrust, plan);
  result.flown = true;
  ++result.flights;
  result.status = row_status(result.flight.outcome);
  switch (result.flight.end) {
    case FlightEnd::cannot_reach_orbit:
      result.reason = orbit_failure_words(result.flight.failure);
      break;
    case FlightEnd::turn_too_long:
      result.reason = "the turn is too long: the recovery ends after booster separation";
      break;
    case FlightEnd::upper_stage_separated:
      result.reason = separated_message(result.flight, settings.vehicle);
      break;
  }
  return result;
}

}  // namespace ascent::studies
