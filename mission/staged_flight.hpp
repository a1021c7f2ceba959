// The flight of a staged vehicle in three dimensions: position and velocity
// in the Earth-centred inertial frame, the air turning with the Earth, J2
// gravity, the elements ignited, shut down and jettisoned at their triggers
// and the phases of the flight sequence each ended by its event. Steps never
// cross an event: a step ends on every known time (a trigger's, a thrust or
// steering table's node), and an event of the state (an altitude, a speed,
// the orbit's energy) is found inside the step and the step retaken to it.
//
//   const ascent::StagedVehicle delta = ascent::read_staged_deck("data/vehicles/delta3.toml");
//   ascent::StagedPlan plan;
//   plan.steering = optimum;  // inertial directions against time
//   plan.final_time = 924.1;
//   const ascent::StagedResult flown = ascent::fly_staged(delta, plan);
//   // flown.final_state.mass, flown.elements, flown.history
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dynamics/orbital_elements.hpp"
#include "mission/flight_outcome.hpp"
#include "mission/flight_result.hpp"
#include "mission/staged_vehicle.hpp"

namespace ascent {

/// What a flight of the deck's vehicle changes: the steering an optimiser
/// fills, the end of the flight, the payload.
struct StagedPlan {
  /// When not empty, the steering of every direction_table phase.
  DirectionTable steering;
  /// [s] the flight ends at this mission time, whatever its last phase waits for.
  std::optional<double> final_time;
  /// [kg] instead of the deck's payload.
  std::optional<double> payload;
  /// Keep a sample of every step (false: the events and the end only).
  bool keep_history = true;
};

/// The state after a step, and what follows from it.
struct StagedSample {
  double t;  ///< [s] mission time
  PointMassState state;
  OrbitalElements elements;  ///< osculating
  double altitude;           ///< [m] above the sphere
  double dynamic_pressure;   ///< [Pa]
  double mach;               ///< [1]
  double thrust;             ///< [N] effective
  Vector3 direction;         ///< [1] of the thrust, inertial
  std::size_t phase;         ///< index into StagedVehicle::phases
};

/// One moment of the flight: "liftoff", "<element>.ignition", "<element>.burnout",
/// "<element>.jettison", "aerodynamics <n>", "<phase> ends", "end".
struct StagedEvent {
  double t;  ///< [s]
  std::string name;
  std::string element;  ///< the element it names, or ""
  PointMassState state;
};

struct StagedResult {
  Outcome outcome = Outcome::in_orbit;
  OrbitFailure failure = OrbitFailure::none;  ///< cannot_reach_orbit: why
  double liftoff_time = 0.0;                  ///< [s] thrust outweighs gravity
  PointMassState final_state{};
  double final_time = 0.0;  ///< [s]
  OrbitalElements elements{};
  double perigee_altitude = 0.0;  ///< [m]
  double apogee_altitude = 0.0;   ///< [m]
  /// [kg] propellant left in the burning stages at the end (negative: a stage
  /// that burns to cutoff needed more than it holds).
  double remaining_propellant = 0.0;
  LoadMaxima maxima;
  std::vector<StagedEvent> events;
  std::vector<StagedSample> history;
  long steps = 0;

  [[nodiscard]] bool in_orbit() const { return outcome == Outcome::in_orbit; }
};

/// Flies the vehicle with the plan. Throws InputError for a vehicle or plan
/// that cannot be flown (staged_vehicle_fault says why).
[[nodiscard]] StagedResult fly_staged(const StagedVehicle& vehicle, const StagedPlan& plan = {});

}  // namespace ascent
