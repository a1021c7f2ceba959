// Inside `fly`: the flight of one vehicle through its three phases. The
// phases share the integrator, the vehicle, the plan and the result being
// built; each phase lives in a file of its own.
#pragma once

#include <cstddef>

#include "dynamics/flight_dynamics.hpp"
#include "mission/flight.hpp"

namespace ascent {

/// Thrown inside a flight that ends early; `fly` returns the result built so far.
struct FlightEnded {};



class AscentFlight final : private StepListener {
 public:
  AscentFlight(const Vehicle& vehicle, const ThrustHistory& thrust, const FlightPlan& plan,
               FlightObserver* observer);
  AscentFlight(const AscentFlight&) = delete;
  AscentFlight& operator=(const AscentFlight&) = delete;

  /// Flies all three phases.
  FlightResult fly();
  /// Flies the booster phase; false when the flight ended in it (`finish` then
  /// gives its result).
  bool fly_to_booster_separation();
  /// Flies the core and upper stage phases from the state at booster separation.
  FlightResult fly_from_booster_separation();
  /// The result of a flight that has ended, its maxima and outcome booked.
  FlightResult finish();

  // What the phases share.
  const Vehicle& vehicle;
  const ThrustHistory& thrust;
  const FlightPlan& plan;
  FlightDynamics dynamics;
  FlightState& s;  ///< the integrated state, dynamics.state
  FlightResult result;
  Real dV_at_core_separation;  ///< [m/s] ideal delta-V when the upper stage leaves the core
  /// A step below the ground ends the flight (off only while the booster
  /// phase climbs to the kick, which refuses a thrust history that never climbs).
  bool ground_ends_flight = true;
  /// The upper stage flies on its own, from core separation: its largest
  /// dynamic pressure from then on is booked.
  bool upper_stage_alone = false;

  /// Tells the observer of an event at the present state and records it.
  void event(FlightEventKind kind, Extended value = 0.0L);
  /// Ends the flight early with `end`.
  [[noreturn]] void end_flight(FlightEnd end);
  /// Ends the flight now: the upper stage can never reach orbit speed, for `why`.
  [[noreturn]] void give_up(OrbitFailure why);

  void fly_booster_phase();
  void fly_core_phase();
  void fly_upper_stage_phase();
  /// The upper stage's mainstage burns to cutoff, under the guidance the vehicle chose.
  void burn_to_circular_speed();
  void burn_to_target_orbit();

 private:
  void after_step(const FlightState& state, const StepQuantities& derived) override;
  /// The orbit, the mass budget and the maxima of a flight flown to the end.
  void book_the_flight();
  /// The flight's outcome, from how it ended and, once separated, its orbit and budget.
  void book_the_outcome();
  void book_the_maxima();

  FlightObserver* observer_;
};

// The checks of a plan that `fly` makes before it flies, each throwing InputError.
void check_turn_time(double turn_time);
void check_maxa(double maxa);
void check_aero(const AeroScales& aero);

}  // namespace ascent
