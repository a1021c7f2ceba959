// What a flight gives back: how it ended, the orbit, the delta-V, the upper
// stage's mass budget, the maxima of the loads, and every event with its state.
#pragma once

#include <vector>

#include "dynamics/flight_state.hpp"
#include "mission/flight_event.hpp"
#include "mission/flight_outcome.hpp"

namespace ascent {

enum class FlightEnd {
  upper_stage_separated,  ///< flown to the end
  turn_too_long,          ///< the recovery would end after booster separation: not flown on
  cannot_reach_orbit,     ///< the upper stage can never reach orbit speed
};

/// Why the upper stage cannot reach orbit speed.
enum class OrbitFailure {
  none,
  not_finite,              ///< the state is no longer finite
  fell_to_ground,          ///< the vehicle is below the ground
  mass_used_up,
  no_thrust_in_dense_air,  ///< no effective thrust while sinking
  escapes,                 ///< past the escape speed at separation: no closed orbit
  propellant_far_exceeded,  ///< the burn ran on far past the stage's propellant load
  thrust_too_weak,          ///< the upper stage's thrust is below a hundredth of its weight
  target_orbit_missed,      ///< the guided burn ended more than 10 km from an apsis aimed at
  skims_atmosphere,         ///< after core separation, in air of a dynamic pressure the stage is not built for
  no_liftoff,               ///< the thrust never outweighs the weight on the pad
  flight_time_exceeded,     ///< the flight sequence did not end within its time limit
};

/// [Pa] The largest dynamic pressure the upper stage may meet after core
/// separation, its fairing gone: more is a stage skimming the atmosphere (at
/// orbital speed, the air below about 90 km), which it is not built to fly
/// through; the orbit it may climb back to is no flight to count.
inline constexpr double SKIMMING_DYNAMIC_PRESSURE = 100.0;

/// The upper stage's mass budget [kg]; every value is a whole number of
/// kilograms except S3_Mt.
struct MassBudget {
  double S3_Mt = 0.0;               ///< interstage, third stage and payload, fairing put back
  double S3_Mi = 0.0;               ///< interstage, from the largest force on the stage
  double S3_Mp = 0.0;               ///< main propellant used
  double reserve_propellant = 0.0;  ///< for a share of the stage's delta-V and of the deorbit propellant
  double deorbit_propellant = 0.0;
  double S3_Ms = 0.0;               ///< cutoff mass
  double total_propellant = 0.0;
  double S3_U_Mp = 0.0;             ///< ullage and RCS propellant
  double SC_M = 0.0;                ///< spacecraft mass the stage can carry
  /// [kg] SC_M before it is rounded to whole kilograms: it follows every
  /// change of the flight, where SC_M moves in steps.
  double SC_M_unrounded = 0.0;

  bool operator==(const MassBudget&) const = default;
};

/// The osculating orbit after upper-stage separation [m above the sphere].
struct Orbit {
  double perigee = 0.0;
  double apogee = 0.0;
  double average_altitude = 0.0;    ///< (perigee + apogee) / 2
  double altitude_deviation = 0.0;  ///< apogee - average altitude

  bool operator==(const Orbit&) const = default;
};

/// The largest loads of a flight, or of the runs of a session.
struct LoadMaxima {
  double acceleration = 0.0;           ///< [m/s^2] thrust acceleration
  double acceleration_time = 0.0;      ///< [s]
  double dynamic_pressure = 0.0;       ///< [Pa]
  double dynamic_pressure_time = 0.0;  ///< [s]
  /// [Pa*deg] dynamic pressure times the aerodynamic angle of attack, the
  /// angle between the thrust direction and the air-relative velocity
  double q_alpha = 0.0;
  double q_alpha_time = 0.0;  ///< [s]

  /// Takes each maximum of `later` (a flight flown after these) that is
  /// larger; on a tie the earlier one stays.
  void merge(const LoadMaxima& later);

  bool operator==(const LoadMaxima&) const = default;
};

struct EventRecord {
  FlightEvent event;
  FlightState state;

  bool operator==(const EventRecord&) const = default;
};

struct FlightResult {
  FlightEnd end = FlightEnd::upper_stage_separated;
  Outcome outcome = Outcome::in_orbit;  ///< how the flight ended, in the clients' words
  double turn_time = 0.0;        ///< [s]
  double maxa = 0.0;             ///< [rad] the maximum angle of attack flown
  bool maxa_flown = false;       ///< the flight reached the core phase, where maxa applies
  double recovery_end = 0.0;     ///< [s] when the turn was too long: the recovery's end
  OrbitFailure failure = OrbitFailure::none;
  double failure_time = 0.0;     ///< [s] when the upper stage was given up

  double liftoff_mass = 0.0;          ///< [kg]
  double liftoff_thrust = 0.0;        ///< [N] after the first step
  double liftoff_acceleration = 0.0;  ///< [m/s^2] liftoff thrust over the mass then

  double delta_v = 0.0;                ///< [m/s] ideal delta-V of the whole flight
  double upper_stage_delta_v = 0.0;    ///< [m/s]
  double remaining_propellant = 0.0;   ///< [kg] upper-stage main propellant left at cutoff
  Orbit orbit;
  MassBudget budget;

  /// [Pa] largest dynamic pressure after core separation, and [m] the altitude there
  double upper_stage_max_dynamic_pressure = 0.0;
  double upper_stage_max_dynamic_pressure_altitude = 0.0;

  double stage3_max_force = 0.0;       ///< [N] largest force on the stage-3 stack
  double stage3_max_force_time = 0.0;  ///< [s]
  LoadMaxima maxima;

  std::vector<EventRecord> events;
  long steps = 0;  ///< integration steps taken

  /// The upper stage reached orbit speed and separated.
  [[nodiscard]] bool separated() const { return end == FlightEnd::upper_stage_separated; }
  /// Separated on an orbit the vehicle can fly: the only outcome that succeeds.
  [[nodiscard]] bool in_orbit() const { return outcome == Outcome::in_orbit; }

  bool operator==(const FlightResult&) const = default;
};

}  // namespace ascent
