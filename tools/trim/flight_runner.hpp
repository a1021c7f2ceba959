// One flight of the simulator, in this process, for a turn time and a maximum
// angle of attack: the same Simulation that the interactive program drives,
// its answers supplied as text, its table and prompts discarded.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "run/simulation.hpp"

namespace ascent::trim {

/// A turn time or an angle as the user types it, with the value the
/// program reads from that text.
struct TypedNumber {
  std::string text;
  double value = 0.0;
};

/// Reads `text` with the program's number grammar; nullopt if it is not a number.
std::optional<TypedNumber> typed_number(std::string_view text);

/// The shortest text of `value` with at most `decimals` decimals (trailing
/// zeros dropped), and the value that text stands for.
TypedNumber typed_number(double value, int decimals);

struct FlightRequest {
  std::filesystem::path thrust_file;   ///< booster thrust file
  TypedNumber turn_time;               ///< [s], at least 1
  TypedNumber maxa;                    ///< [deg] maximum angle of attack
  FlightObserver* observer = nullptr;  ///< sees every step and event, if set
};

/// What a flight gives back: the orbit and mass budget of the summary, or
/// the line that abandoned the run.
struct FlightOutcome {
  bool maxa_flown = false;  ///< the flight reached the core phase, where maxa applies
  bool in_orbit = false;    ///< the upper stage separated in orbit
  std::string abandoned;    ///< the "Error! ..." line of a run that ended early

  double perigee = 0.0;               ///< [m]
  double apogee = 0.0;                ///< [m]
  double average_altitude = 0.0;      ///< [m]
  double remaining_propellant = 0.0;  ///< [kg] upper-stage main propellant left
  double SC_M = 0.0;                  ///< [kg] spacecraft mass the stage can carry
  double dV = 0.0;                    ///< [m/s] ideal delta-V of the whole flight
  double recommended_maxa = 0.0;      ///< [deg] the summary's recommended maxa
};

/// Flies one run. A run the program abandons (a turn time too long, an upper
/// stage that cannot reach orbit) comes back with `in_orbit` false; a
/// failure that would end the program (the thrust file missing or
/// malformed) is thrown as the program's RuntimeError.
FlightOutcome fly(const FlightRequest& request);

/// Flies one run as the interactive program does with the output file
/// `output_name` named at the first prompt: the table, the plot files and
/// the constants file are written in `folder`. Returns the session's exit
/// status (0, or the error number of a failure, whose report goes to `report`).
int fly_with_files(const std::filesystem::path& thrust_file, const TypedNumber& turn_time,
                   const TypedNumber& maxa, const std::filesystem::path& folder,
                   const std::string& output_name, std::FILE* report);

}  // namespace ascent::trim
