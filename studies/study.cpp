#include "studies/study.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "base/runtime_error.hpp"
#include "studies/target.hpp"

namespace ascent::dispersion {

namespace {

/// The outcome of a flight at `maxa`, and the orbit and budget of one that separated.
void book_flight(CaseResult& result, const trim::FlightOutcome& flight,
                 const trim::TypedNumber& maxa) {
  result.maxa = maxa.value;
  result.status = row_status(flight.outcome);
  result.message = flight.message;
  if (!flight.separated) return;
  result.flown = true;
  result.perigee = flight.perigee;
  result.apogee = flight.apogee;
  result.average_altitude = flight.average_altitude;
  result.remaining_propellant = flight.remaining_propellant;
  result.SC_M = flight.SC_M;
  result.max_dynamic_pressure = flight.loads.dynamic_pressure;
  result.max_q_alpha = flight.loads.q_alpha;
  result.max_acceleration = flight.loads.acceleration;
}

void fly_open_loop(CaseResult& result, const StudySpec& setup, const trim::TrimSettings& settings) {
  trim::FlightRequest request;
  request.vehicle = &settings.vehicle;
  request.thrust = &settings.thrust;
  request.turn_time = setup.turn_time;
  request.maxa = setup.nominal_maxa;
  request.aero = settings.aero;
  result.flights = 1;
  book_flight(result, trim::fly(request), setup.nominal_maxa);
}

void fly_closed_loop(CaseResult& result, const StudySpec& setup, trim::TrimSettings& settings) {
  // The nominal angle is the best first guess: most cases trim in a few flights.
  settings.start_maxa = setup.nominal_maxa.value;
  const trim::TrimResult trim = trim::trim_turn_time(settings, setup.turn_time);
  result.flights = static_cast<int>(trim.flights.size());
  if (trim.trimmed()) {
    book_flight(result, trim.flight, trim.maxa);
    return;
  }
  result.status = trim::status_of(trim.status, trim.flight);
  result.maxa = trim.maxa.value;
  result.message = trim.message;
}

}  // namespace

namespace {

/// The nominal angle of the study: the plan's, or the one its nominal trim
/// finds (closed loop: starting from the plan's).
void choose_nominal_angle(StudySpec& setup, const std::optional<trim::TypedNumber>& maxa) {
  if (maxa && setup.mode != LoopMode::closed) {
    setup.nominal_maxa = *maxa;
    setup.maxa_trimmed = false;
    return;
  }
  trim::TrimSettings settings = setup.nominal;
  if (maxa) settings.start_maxa = std::max(maxa->value, std::pow(10.0, -trim::MAXA_DECIMALS));
  const trim::TrimResult trim = setup.mode == LoopMode::guided
                                    ? trim::default_law_trim(settings, setup.turn_time)
                                    : trim::trim_turn_time(settings, setup.turn_time);
  if (!trim.trimmed()) {
    throw FlightError("the nominal flight of turn time " + setup.turn_time.text +
                      " s cannot be trimmed: " + trim.message);
  }
  setup.nominal_maxa = trim.maxa;
}

}  // namespace

StudySpec prepare_study(trim::TrimSettings nominal, const trim::TypedNumber& turn_time,
                        DispersionSet dispersions, LoopMode mode,
                        const std::optional<trim::TypedNumber>& maxa) {
  StudySpec setup;
  setup.nominal = std::move(nominal);
  setup.turn_time = turn_time;
  setup.dispersions = std::move(dispersions);
  setup.mode = trim::guided(setup.nominal.vehicle) ? LoopMode::guided : mode;
  if (setup.mode == LoopMode::guided) {
    setup.nominal.vehicle = trim::guided_vehicle(setup.nominal.vehicle, std::nullopt, std::nullopt);
  }
  choose_nominal_angle(setup, maxa);
  trim::FlightRequest request;
  request.vehicle = &setup.nominal.vehicle;
  request.thrust = &setup.nominal.thrust;
  request.turn_time = turn_time;
  request.maxa = setup.nominal_maxa;
  request.aero = setup.nominal.aero;
  setup.nominal_flight = trim::fly(request);
  if (setup.mode == LoopMode::guided && !setup.nominal_flight.separated) {
    throw FlightError("the guided nominal flight of turn time " + turn_time.text +
                      " s reaches no orbit: " + setup.nominal_flight.message);
  }
  return setup;
}

bool near_target(const CaseResult& c, const TargetOrbit& target, double tolerance) {
  return c.flown && std::fabs(c.perigee - target.perigee_altitude()) <= tolerance &&
         std::fabs(c.apogee - target.apogee_altitude()) <= tolerance;
}

CaseResult fly_case(const StudySpec& setup, std::uint64_t seed, std::size_t k) {
  CaseResult result;
  result.seed = seed;
  result.k = k;
  DrawnCase drawn = draw_case(setup.dispersions, setup.nominal.vehicle, seed, k);
  result.values = std::move(drawn.values);
  if (!drawn.out_of_range.empty()) {
    result.status = RowStatus::out_of_range;
    result.message = std::move(drawn.out_of_range);
    return result;
  }
  try {
    trim::TrimSettings settings = setup.nominal;
    settings.vehicle = drawn.vehicle;
    settings.aero = drawn.aero;
    if (drawn.booster_thrust_scale != 1.0) {
      settings.thrust = setup.nominal.thrust.scaled(drawn.booster_thrust_scale);
    }
    if (setup.mode == LoopMode::closed) {
      fly_closed_loop(result, setup, settings);
    } else {
      fly_open_loop(result, setup, settings);
    }
  } catch (const RuntimeError& failure) {
    result.status = RowStatus::flight_error;
    result.message = failure.what();
  }
  return result;
}

}  // namespace ascent::dispersion
