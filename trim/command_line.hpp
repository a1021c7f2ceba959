// The command line of ascent-trim, read into the settings of its work. The
// reading never ends the process: help and usage errors come back as text
// and an exit status, for the program to show (and for a fuzz target).
#pragma once

#include <optional>
#include <string>

#include "base/utc_time.hpp"
#include "studies/flight_ground.hpp"
#include "trim/dispersions_command.hpp"
#include "trim/reports.hpp"
#include "studies/sweep.hpp"
#include "studies/trim_solver.hpp"

namespace ascent::trim {

enum class Command {
  trim,
  events,
  impacts,
  history,
  sweep,
  dispersions,
  target,
  optimize,
  sensitivities,
  capability
};

struct CommandLine {
  Command command = Command::trim;
  /// Tolerance, first angle and flight limit; the thrust history is not read yet.
  studies::TrimSettings settings;
  std::string thrust_file = "s1.dat";
  std::string vehicle_file;                ///< the vehicle deck, or "" for the built-in vehicle
  std::optional<double> target_altitude;   ///< [m] trim, sweep: instead of the vehicle's
  DispersionsOptions dispersions;          ///< dispersions: the study
  Format format = Format::table;
  studies::TypedNumber turn_time;  ///< [s] of trim, events, history, dispersions and sensitivities
  std::string run_files;     ///< trim: the folder of the trimmed flight's files, or ""
  std::string history_file;  ///< history: the CSV file, or "" for the standard output
  std::string kml_file;      ///< history, dispersions: the KML map, or ""
  std::string oem_file;      ///< history: the CCSDS orbit ephemeris, or ""
  std::optional<UtcTime> launch_epoch;  ///< the UTC time of liftoff, for --oem
  studies::GroundSettings
      ground;                ///< the pad's longitude and the figure of the geodetic coordinates
  double reserve = 0.0;      ///< [kg] capability: propellant left at cutoff
  double from = 0.0;         ///< [s] sweep
  double to = 0.0;           ///< [s] sweep
  double step = 1.0;         ///< [s] sweep
  unsigned jobs = 0;         ///< sweep: threads, 0 for one per core
  LoadLimits limits{};       ///< optimize: besides the vehicle's (0: none)
  bool guided = false;       ///< optimize: the upper stage guided to the target orbit
  std::string report_file;   ///< sweep, dispersions: the HTML report, or ""
  std::string command_text;  ///< the command line as typed, for the report
  std::optional<double> maxa;     ///< [deg] target, events, history: the core stage's angle
  std::optional<double> perigee;  ///< [m] target, optimize: instead of the vehicle's target
  std::optional<double> apogee;   ///< [m]
};

/// The command line read, or the status to end with (0 after help, 2 for a
/// bad command line) and the text to show on each standard stream.
struct CommandLineOutcome {
  std::optional<CommandLine> line;
  int status = 0;
  std::string standard_output;
  std::string standard_error;
};

CommandLineOutcome parse_command_line(int argc, const char* const* argv);

}  // namespace ascent::trim
