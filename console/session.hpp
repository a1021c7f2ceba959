// One session of the interactive program: the dialogue, its channels, the
// vehicle every run flies, and the memory carried from run to run (the
// recommended-maxa secant and the load maxima across runs). Several sessions
// can live in one process; nothing is global.
#pragma once

#include <cstdio>
#include <filesystem>

#include "console/channels.hpp"
#include "mission/flight.hpp"
#include "mission/recommended_maxa.hpp"

namespace ascent {

class Session {
 public:
  /// The program reads its answers from `standard_input`, writes prompts (and
  /// the table, without an output file) to `standard_output`, and finds and
  /// writes its files in `work_dir`.
  Session(std::FILE* standard_input, std::FILE* standard_output,
          std::filesystem::path work_dir = ".");

  Channels io;
  Vehicle vehicle;
  /// Write the upper stage's constants file at the end of every run.
  bool write_constants_file = true;
  /// The booster thrust file every run reads: empty (the default) is
  /// BOOSTER_THRUST_FILE in the working folder.
  std::filesystem::path booster_thrust_file;
  /// The vehicle deck `vehicle` was read from, guarded from every writer;
  /// empty for the built-in vehicle.
  std::filesystem::path vehicle_deck;
  /// Told of every step and event after the table has written it, if set.
  FlightObserver* observer = nullptr;

  /// The whole dialogue: the output file name, runs until a negative turn
  /// time or the end of the input, closing.
  void run_dialogue();

  /// One run written as the dialogue writes it, without asking: the output
  /// file `output_name` (empty: the standard output), the turn time and the
  /// angle as if typed, the end of the session as a negative turn time.
  void run_without_asking(const std::string& output_name, Real turn_time, Real maxa);

  [[nodiscard]] std::filesystem::path booster_thrust_path() const;

 private:
  /// Keeps every writer of the session off the vehicle deck.
  void guard_vehicle_deck();
  /// Header of the table and the memory of a new session.
  void begin();
  /// Takes an answer to the turn-time prompt; false when it ends the session.
  bool take_turn_time(Real turn_time, const std::function<double()>& maxa);
  void fly_run(Real turn_time, const std::function<double()>& maxa);
  /// Reads the booster thrust file; a missing one is reported with where it was looked for.
  [[nodiscard]] ThrustHistory read_thrust_history() const;

  Real previous_turn_time_;
  RecommendedMaxa recommended_maxa_;
  LoadMaxima maxima_;  ///< over every run of the session, shown with an output file
};

/// Runs the dialogue and turns a failure into its report on `report_stream`
/// (on the standard error when that stream cannot take it).
/// Returns the exit status: 0, the error number of the failure, or 128 + the
/// signal that interrupted the session (its files flushed on whole lines).
int run_session(Session& session, std::FILE* report_stream);

}  // namespace ascent
