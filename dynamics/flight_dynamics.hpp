// The integrator of the flight: the equations of motion evaluated at trial
// states, the classical fourth-order Runge-Kutta step with everything brought
// up to date after it, and the two step drivers that land steps exactly on
// the flight's events.
#pragma once

#include "atmosphere/atmosphere.hpp"
#include "dynamics/equations_of_motion.hpp"
#include "dynamics/flight_state.hpp"
#include "dynamics/step_quantities.hpp"

namespace ascent {

/// Told of every step as soon as the state after it is complete.
class StepListener {
 public:
  virtual ~StepListener() = default;
  virtual void after_step(const FlightState& state, const StepQuantities& derived) = 0;
};

/// The vehicle's passage through the air at one position and velocity.
struct AirPassage {
  AirRelativeMotion rel;
  AmbientAir ambient;
  Real Cd;  ///< [1] drag coefficient of the model, before a dispersion's scale
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
  /// Flies `span` seconds in steps of dt, the last one shortened: dt is left
  /// at its length.
  void run_for_time(Real span);
  /// Steps until h0 > h_stop, then takes the last step back; returns `span`
  /// less the time flown.
  [[nodiscard]] Real run_to_altitude(Real h_stop, Real span);

  [[nodiscard]] const Atmosphere& air() const { return air_; }

 private:
  /// The accelerations of vt and vr that the law gives at a trial state.
  template <class Law>
  Accelerations accelerations(Law& law, const StateVector& trial, Real r, Real m);

  // The update after a step and the next step's first stage look at the
  // same state: what depends on the state alone is computed once for it.
  /// [rad] inertial flight-path angle, atan(vr / vt).
  Real flight_path_angle(Real vt, Real vr);
  /// The passage at a state; its path angle theta only `with_path_angle`.
  const AirPassage& air_passage(Real h0, Real vt, Real vr, Real v_earth, bool with_path_angle);

  const Atmosphere& air_;
  StepListener* listener_;
  struct {
    double vt = 0.0, vr = 0.0;
    Real beta;
    bool valid = false;
  } angle_memo_;
  struct {
    double h0 = 0.0, vt = 0.0, vr = 0.0, v_earth = 0.0;
    AirPassage passage;
    bool valid = false;
    bool path_angle_known = false;
  } air_memo_;
};

}  // namespace ascent
