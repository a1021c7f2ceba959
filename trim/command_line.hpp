// The command line of ascent-trim, read into the settings of its work. The
// reading never ends the process: help and usage errors come back as text
// and an exit status, for the program to show (and for a fuzz target).
#pragma once

#include <optional>
#include <string>

#include "trim/dispersions_command.hpp"
#include "trim/reports.hpp"
#include "studies/trim_solver.hpp"

namespace ascent::trim {

enum class Command { trim, events, history, sweep, dispersions, target, optimize, sensitivities };

/// [s] The range of the turn times a sweep may take, and of its step.
inline constexpr double SWEEP_FIRST_TURN_TIME = 1.0;
inline constexpr double SWEEP_LAST_TURN_TIME = 1000.0;
inline constexpr double SWEEP_SMALLEST_STEP = 1e-6;

struct CommandLine {
  Command command = Command::trim;
  /// Tolerance, first angle and flight limit; the thrust history is not read yet.
  TrimSettings settings;
  std::string thrust_file = "s1.dat";
  std::string vehicle_file;                ///< the vehicle deck, or "" for the built-in vehicle
  std::optional<double> target_altitude;   ///< [m] trim, sweep: instead of the vehicle's
  dispersion::DispersionsOptions dispersions;  ///< dispersions: the study
  Format format = Format::table;
  TypedNumber turn_time;     ///< [s] of trim, events, history, dispersions and sensitivities
  std::string run_files;     ///< trim: the folder of the trimmed flight's files, or ""
  std::string history_file;  ///< history: the CSV file, or "" for the standard output
  double from = 0.0;         ///< [s] sweep
  double to = 0.0;           ///< [s] sweep
  double step = 1.0;         ///< [s] sweep
  unsigned jobs = 0;         ///< sweep: threads, 0 for one per core
  LoadLimits limits{};       ///< optimize: besides the vehicle's (0: none)
  bool guided = false;       ///< optimize: the upper stage guided to the target orbit
  std::string report_file;   ///< sweep, dispersions: the HTML report, or ""
  std::string command_text;  ///< the command line as typed, for the report
  std::optional<double> maxa;     ///< [deg] target: the core stage's angle, else the trimmed one
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
