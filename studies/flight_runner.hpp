// One flight of the trim tool through the flight library, for a turn time and
// a maximum angle of attack as the user would type them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "mission/flight.hpp"
#include "mission/flight_at_separation.hpp"
#include "mission/load_limits.hpp"
#include "text/outcome_words.hpp"

namespace ascent::studies {

/// A turn time or an angle as the user types it, with the value the
/// program reads from that text.
struct TypedNumber {
  std::string text;
  double value = 0.0;
};

/// Reads `text` with the program's number grammar; nullopt if it is not a number.
std::optional<TypedNumber> typed_number(std::string_view text);

/// The shortest text of `value` with at most `decimals` decimals (trailing
/// zeros dropped), and the value that text stands for ("nan", "inf" or
/// "-inf" and the value itself when it is not finite).
TypedNumber typed_number(double value, int decimals);

struct FlightRequest {
  const Vehicle* vehicle = nullptr;       ///< the vehicle flown
  const ThrustHistory* thrust = nullptr;  ///< the boosters' thrust history
  TypedNumber turn_time;                  ///< [s], at least 1
  TypedNumber maxa;                       ///< [deg] maximum angle of attack
  FlightObserver* observer = nullptr;     ///< sees every step and event, if set
  AeroScales aero{};                      ///< of a dispersed flight; neutral by default
};

/// What a flight gives back: its outcome, and the orbit and mass budget of
/// the summary (of every flight that separated).
struct FlightOutcome {
  Outcome outcome = Outcome::cannot_reach_orbit;
  bool maxa_flown = false;  ///< the flight reached the core phase, where maxa applies
  bool separated = false;   ///< the upper stage reached orbit speed and separated
  /// Separated with its perigee above the surface: an orbit whose altitude
  /// the trim can measure, whatever its outcome.
  bool above_surface = false;
  /// Why the flight is not in orbit, in words ("" when it is): why a run
  /// ended early, else what its orbit or budget lacks.
  std::string message;

  double perigee = 0.0;               ///< [m]
  double apogee = 0.0;                ///< [m]
  double average_altitude = 0.0;      ///< [m]
  double remaining_propellant = 0.0;  ///< [kg] upper-stage main propellant left
  double SC_M = 0.0;                  ///< [kg] spacecraft mass the stage can carry
  double SC_M_unrounded = 0.0;        ///< [kg] SC_M before its rounding to whole kilograms
  double dV = 0.0;                    ///< [m/s] ideal delta-V of the whole flight
  double recommended_maxa = 0.0;      ///< [deg] the summary's recommended maxa after this run alone
  LoadMaxima loads;                   ///< of the whole flight, however it ended

  [[nodiscard]] bool in_orbit() const { return outcome == Outcome::in_orbit; }
};

/// Flies one run. A thrust history that cannot be flown throws FlightError.
FlightOutcome fly(const FlightRequest& request);

/// Flies on from booster separation at `maxa`: the outcome `fly` gives for
/// the same vehicle, thrust history, turn time, scales and angle.
FlightOutcome fly_on(const FlightAtSeparation& at_separation, const TypedNumber& maxa);

}  // namespace ascent::studies
