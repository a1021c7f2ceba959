#include "studies/study.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "base/runtime_error.hpp"
#include "studies/target.hpp"

namespace ascent::studies {

namespace {

/// The outcome of a flight at `maxa`, and the orbit and budget of one that separated.
void book_flight(CaseResult& result, const FlightOutcome& flight, const TypedNumber& maxa) {
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

FlightRequest request_at(const StudySpec& setup, const TrimSettings& settings,
                         const TypedNumber& maxa) {
  FlightRequest request;
  request.vehicle = &settings.vehicle;
  request.thrust = &settings.thrust;
  request.turn_time = setup.turn_time;
  request.maxa = maxa;
  request.aero = settings.aero;
  return request;
}

/// Where the elements dropped by the recorded flight come down.
void book_impacts(CaseResult& result, const StudySpec& setup, const TrimSettings& settings,
                  const FlightRecorder& recorder) {
  result.impacts = FlightGround(settings.vehicle, *setup.ground).impacts(recorder.events());
}

void fly_open_loop(CaseResult& result, const StudySpec& setup, const TrimSettings& settings) {
  FlightRequest request = request_at(setup, settings, setup.nominal_maxa);
  FlightRecorder recorder;
  if (setup.ground) request.observer = &recorder;
  result.flights = 1;
  book_flight(result, fly(request), setup.nominal_maxa);
  if (setup.ground) book_impacts(result, setup, settings, recorder);
}

void fly_closed_loop(CaseResult& result, const StudySpec& setup, TrimSettings& settings) {
  // The nominal angle is the best first guess: most cases trim in a few flights.
  settings.start_maxa = setup.nominal_maxa.value;
  const TrimResult trim = trim_turn_time(settings, setup.turn_time);
  result.flights = static_cast<int>(trim.flights.size());
  if (trim.trimmed()) {
    book_flight(result, trim.flight, trim.maxa);
    if (setup.ground) {
      FlightRecorder recorder;
      FlightRequest request = request_at(setup, settings, trim.maxa);
      request.observer = &recorder;
      (void)fly(request);
      ++result.flights;
      book_impacts(result, setup, settings, recorder);
    }
    return;
  }
  result.status = status_of(trim.status, trim.flight);
  result.maxa = trim.maxa.value;
  result.message = trim.message;
}

/// The nominal angle of the study: the plan's, or the one its nominal trim
/// finds (closed loop: starting from the plan's).
void choose_nominal_angle(StudySpec& setup, const std::optional<TypedNumber>& maxa) {
  if (maxa && setup.mode != LoopMode::closed) {
    setup.nominal_maxa = *maxa;
    setup.maxa_trimmed = false;
    return;
  }
  TrimSettings settings = setup.nominal;
  if (maxa) settings.start_maxa = std::max(maxa->value, std::pow(10.0, -MAXA_DECIMALS));
  const TrimResult trim = setup.mode == LoopMode::guided
                              ? default_law_trim(settings, setup.turn_time)
                              : trim_turn_time(settings, setup.turn_time);
  if (!trim.trimmed()) {
    throw FlightError("the nominal flight of turn time " + setup.turn_time.text +
                      " s cannot be trimmed: " + trim.message);
  }
  setup.nominal_maxa = trim.maxa;
}

}  // namespace

StudySpec prepare_study(TrimSettings nominal, const TypedNumber& turn_time,
                        DispersionSet dispersions, LoopMode mode,
                        const std::optional<TypedNumber>& maxa) {
  StudySpec setup;
  setup.nominal = std::move(nominal);
  setup.turn_time = turn_time;
  setup.dispersions = std::move(dispersions);
  setup.mode = guided(setup.nominal.vehicle) ? LoopMode::guided : mode;
  if (setup.mode == LoopMode::guided) {
    setup.nominal.vehicle = guided_vehicle(setup.nominal.vehicle, std::nullopt, std::nullopt);
  }
  choose_nominal_angle(setup, maxa);
  setup.nominal_flight = fly(request_at(setup, setup.nominal, setup.nominal_maxa));
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
    TrimSettings settings = setup.nominal;
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

}  // namespace ascent::studies
