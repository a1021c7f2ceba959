// The integrator of the flight: the equations of motion evaluated at trial
// states, the classical fourth-order Runge-Kutta step with everything brought
// up to date after it, and the two step drivers that land steps exactly on
// the flight's events.
#pragma once

#include "atmosphere/atmosphere.hpp"
#include "dynamics/flight_state.hpp"
#include "dynamics/step_quantities.hpp"

namespace ascent {

/// Told of every step as soon as the state after it is complete.
class StepListener {
 public:
  virtual ~StepListener() = default;
  virtual void after_step(const FlightState& state, const StepQuantities& derived) = 0;
};

/// Most forward steps run_to_altitude takes before it gives up on a
/// trajectory that does not climb past h_stop (the vertical rise that uses it
/// needs a few dozen).
inline constexpr int MAX_CLIMB_STEPS = 100000;

class FlightDynamics {
 public:
  explicit FlightDynamics(const Atmosphere& air = standard_atmosphere(),
                          StepListener* listener = nullptr)
      : air_(air), listener_(listener) {}

  FlightState state;

  /// The nine increments (derivatives times dt) at a trial state.
  [[nodiscard]] StateVector eval_derivatives(const StateVector& trial);
  /// One classical Runge-Kutta step of size dt and its derived quantities.
  StepQuantities rk4_step();
  /// Flies t_rem seconds in steps of dt, the last one shortened.
  void run_for_time();
  /// Steps until h0 > h_stop, then takes the last step back.
  void run_to_altitude();

  [[nodiscard]] const Atmosphere& air() const { return air_; }

 private:
  const Atmosphere& air_;
  StepListener* listener_;
};

}  // namespace ascent
