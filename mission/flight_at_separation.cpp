#include "mission/flight_at_separation.hpp"

#include "mission/ascent_flight.hpp"

namespace ascent {

FlightAtSeparation::FlightAtSeparation(const Vehicle& vehicle, const ThrustHistory& thrust,
                                       double turn_time, const AeroScales& aero)
    : vehicle_(&vehicle), thrust_(&thrust), plan_{turn_time, 0.0, {}, aero} {
  check_turn_time(turn_time);
  check_aero(aero);
  AscentFlight flight(vehicle, thrust, plan_, nullptr);
  try {
    separated_ = flight.fly_to_booster_separation();
  } catch (const FlightError& failure) {
    failure_ = failure;
    return;
  }
  if (separated_) {
    state_ = flight.s;
    result_ = std::move(flight.result);
  } else {
    result_ = flight.finish();
  }
}

FlightResult FlightAtSeparation::fly_on(double maxa, FlightObserver* observer) const {
  FlightPlan plan = plan_;
  plan.maxa = maxa;
  if (observer != nullptr) return fly(*vehicle_, *thrust_, plan, observer);
  check_maxa(maxa);
  if (failure_) throw *failure_;
  if (!separated_) return result_;
  // A new integrator, its state that at separation: what it computes once per
  // state it computes again from the same bits, to the same bits.
  AscentFlight flight(*vehicle_, *thrust_, plan, nullptr);
  flight.s = state_;
  flight.result = result_;
  return flight.fly_from_booster_separation();
}

}  // namespace ascent
