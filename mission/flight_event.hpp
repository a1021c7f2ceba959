// The events of a flight, in the order they happen, and the observer that a
// client of the flight library gives `fly` to follow a flight step by step.
#pragma once

#include "base/real.hpp"
#include "dynamics/flight_state.hpp"
#include "dynamics/step_quantities.hpp"

namespace ascent {

enum class FlightEventKind {
  on_pad,                  ///< the vehicle stands on the pad, engines at full thrust
  liftoff,                 ///< thrust less back-pressure loss equals the weight
  long_record_interval,    ///< a thrust record lies more than 1 s after the one before
  pitch_over,              ///< the kick starts at the pitch-over altitude
  end_of_turn,             ///< the recovery ends: the pitch offset is taken back
  booster_separation,
  fairing_jettison,
  core_cutoff,             ///< the core's thrust has tailed off to zero
  core_separation,
  upper_stage_ignition,    ///< the ullage burn is over; the main engine's ramp starts
  upper_stage_mainstage,   ///< full thrust
  upper_stage_cutoff,      ///< orbit speed reached
  upper_stage_separation,
};

struct FlightEvent {
  FlightEventKind kind;
  /// The number that goes with the event:
  ///  on_pad, liftoff: [m/s^2] thrust acceleration (thrust less back-pressure loss, over the mass);
  ///  long_record_interval: [s] the interval;
  ///  booster_separation: [kg] propellant left in each booster;
  ///  core_separation: [m/s] ideal delta-V of the flight so far;
  ///  upper_stage_separation: [m/s] ideal delta-V of the upper stage;
  ///  0 for the others.
  Extended value = 0.0L;

  bool operator==(const FlightEvent&) const = default;
};

/// Follows a flight. Every call receives the state at that moment; the state
/// of an event is that after the step before it (on the pad and at liftoff,
/// the state of that moment).
class FlightObserver {
 public:
  virtual ~FlightObserver() = default;
  virtual void on_step(const FlightState& /*state*/, const StepQuantities& /*derived*/) {}
  virtual void on_event(const FlightEvent& /*event*/, const FlightState& /*state*/) {}
};

}  // namespace ascent
