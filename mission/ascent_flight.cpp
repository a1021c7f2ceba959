#include "mission/ascent_flight.hpp"

#include <cmath>
#include <stdexcept>

#include "mission/load_limits.hpp"
#include "mission/mass_budget.hpp"

namespace ascent {

AscentFlight::AscentFlight(const Vehicle& vehicle_, const ThrustHistory& thrust_,
                           const FlightPlan& plan_, FlightObserver* observer)
    : vehicle(vehicle_),
      thrust(thrust_),
      plan(plan_),
      dynamics(standard_atmosphere(), this),
      s(dynamics.state),
      observer_(observer) {}

namespace {

/// Every value a step's row shows, and the state the next step starts from, is finite.
bool finite_step(const FlightState& s, const StepQuantities& q) {
  for (Real StateVector::*x : StateVector::components) {
    if (!std::isfinite((s.*x).value())) return false;
  }
  for (const Real& x :
       {s.t, s.a, s.vi, s.steering.alpha, s.stage.m_fixed, q.beta, q.theta, q.Pq, q.T, q.D}) {
    if (!std::isfinite(x.value())) return false;
  }
  return true;
}

}  // namespace

// Whatever the phase, a state out of the range of the numbers ends the flight
// before its row is shown (it could only show nan or inf), and a vehicle
// below the ground ends it after: the denser air down there only drives the
// numbers out of range, and a flight that sinks would otherwise go on for hours.
void AscentFlight::after_step(const FlightState& state, const StepQuantities& derived) {
  ++result.steps;
  if (!finite_step(state, derived)) give_up(OrbitFailure::not_finite);
  if (observer_ != nullptr) observer_->on_step(state, derived);
  if (state.h0 < 0.0L && ground_ends_flight) give_up(OrbitFailure::fell_to_ground);
  if (upper_stage_alone && derived.Pq > result.upper_stage_max_dynamic_pressure) {
    result.upper_stage_max_dynamic_pressure = derived.Pq.value();
    result.upper_stage_max_dynamic_pressure_altitude = state.h0.value();
  }
}

void AscentFlight::event(FlightEventKind kind, Extended value) {
  const FlightEvent happened{kind, value};
  result.events.push_back({happened, s});
  if (observer_ != nullptr) observer_->on_event(happened, s);
}

void AscentFlight::end_flight(FlightEnd end) {
  result.end = end;
  throw FlightEnded{};
}

void AscentFlight::give_up(OrbitFailure why) {
  result.failure = why;
  result.failure_time = s.t.value();
  end_flight(FlightEnd::cannot_reach_orbit);
}

FlightResult AscentFlight::fly() {
  return fly_to_booster_separation() ? fly_from_booster_separation() : finish();
}

bool AscentFlight::fly_to_booster_separation() {
  result.turn_time = plan.turn_time;
  try {
    fly_booster_phase();
    return true;
  } catch (const FlightEnded&) {
    return false;
  }
}

FlightResult AscentFlight::fly_from_booster_separation() {
  try {
    fly_core_phase();
    fly_upper_stage_phase();
    book_the_flight();
  } catch (const FlightEnded&) {
    // The result says how and when the flight ended.
  }
  return finish();
}

FlightResult AscentFlight::finish() {
  book_the_maxima();
  book_the_outcome();
  return std::move(result);
}

void AscentFlight::book_the_flight() {
  // A hyperbola's apsides are no orbit to print or count.
  if (!(s.sma > 0.0L && s.ecc < 1.0L)) give_up(OrbitFailure::escapes);
  result.remaining_propellant = s.m_prop.value();
  result.delta_v = s.dV.value();
  const Real average = (s.apogee + s.perigee) / 2.0L;
  result.orbit = {s.perigee.value(), s.apogee.value(), average.value(),
                  Real(s.apogee - average).value()};
  result.budget = upper_stage_mass_budget(vehicle, s, result.upper_stage_delta_v);
}

void AscentFlight::book_the_outcome() {
  switch (result.end) {
    case FlightEnd::upper_stage_separated:
      result.outcome = separated_outcome(result.remaining_propellant, result.budget.SC_M,
                                         result.orbit.perigee, vehicle.target.minimum_perigee);
      // Separated after skimming the atmosphere: no flight the stage can fly.
      if (result.upper_stage_max_dynamic_pressure > SKIMMING_DYNAMIC_PRESSURE) {
        result.outcome = Outcome::cannot_reach_orbit;
        result.failure = OrbitFailure::skims_atmosphere;
        return;
      }
      // An orbit reached over a structural limit is no flight the vehicle can fly.
      if (result.outcome == Outcome::in_orbit && load_breach(result.maxima, vehicle.limits)) {
        result.outcome = Outcome::over_load_limit;
      }
      return;
    case FlightEnd::turn_too_long:
      result.outcome = Outcome::turn_too_long;
      return;
    case FlightEnd::cannot_reach_orbit:
      result.outcome = Outcome::cannot_reach_orbit;
      return;
  }
}

void AscentFlight::book_the_maxima() {
  result.stage3_max_force = s.force(3).max_force.value();
  result.stage3_max_force_time = s.force(3).max_force_t.value();
  result.maxima = {s.a_max.value(),
                    s.a_max_t.value(),
                    s.q_max.value(),
                    s.q_max_t.value(),
                    static_cast<double>(s.qa_max * 180.0L / PI),
                    s.qa_max_t.value()};
}

void LoadMaxima::merge(const LoadMaxima& later) {
  if (later.acceleration > acceleration) {
    acceleration = later.acceleration;
    acceleration_time = later.acceleration_time;
  }
  if (later.dynamic_pressure > dynamic_pressure) {
    dynamic_pressure = later.dynamic_pressure;
    dynamic_pressure_time = later.dynamic_pressure_time;
  }
  if (later.q_alpha > q_alpha) {
    q_alpha = later.q_alpha;
    q_alpha_time = later.q_alpha_time;
  }
}

void check_turn_time(double turn_time) {
  if (!(turn_time >= 1.0)) {
    throw InputError(ErrorCode::range_check, "the turn time must be at least 1 s");
  }
}

void check_maxa(double maxa) {
  // An infinite angle is the unlimited one; NaN is no angle at all.
  if (std::isnan(maxa)) {
    throw InputError(ErrorCode::range_check, "the maximum angle of attack is not a number");
  }
}

void check_aero(const AeroScales& aero) {
  const auto neutral_or_finite = [](double scale) { return scale >= 0.0 && std::isfinite(scale); };
  if (!neutral_or_finite(aero.drag) || !neutral_or_finite(aero.density)) {
    throw InputError(ErrorCode::range_check,
                     "the drag and density scales must be finite and not negative");
  }
}

FlightResult fly(const Vehicle& vehicle, const ThrustHistory& thrust, const FlightPlan& plan,
                 FlightObserver* observer) {
  check_turn_time(plan.turn_time);
  check_maxa(plan.maxa);
  check_aero(plan.aero);
  return AscentFlight(vehicle, thrust, plan, observer).fly();
}

}  // namespace ascent
