// One run written as the interactive program writes it: the table rows, the
// plot lines (with an output file) and the event lines while the flight goes;
// after it, the line that ended it early or the summary with the constants
// file. The dialogue and `ascent-trim --run-files` both write through it.
#pragma once

#include <filesystem>
#include <string_view>

#include "mission/flight.hpp"
#include "text/symbols.hpp"
#include "text/text_channel.hpp"
#include "text/trajectory_row.hpp"

namespace ascent {

/// Writes `prompt` and `answer` (6:3) on a line: the record of an answer
/// that an output file keeps beside the table.
void write_answer(TextChannel& out, std::string_view prompt, Real answer);

class RunWriter final : public FlightObserver {
 public:
  /// Rows and event lines go to `out`, plot lines to `plots` when given;
  /// `next`, when set, is told of each step and event afterwards.
  RunWriter(TextChannel& out, PlotChannels* plots, FlightObserver* next = nullptr)
      : out_(out), plots_(plots), next_(next) {}

  // Each step and event is a safe point: its lines are whole in every file.
  void on_step(const FlightState& state, const StepQuantities& derived) override;
  void on_event(const FlightEvent& event, const FlightState& state) override;

 private:
  TextChannel& out_;
  PlotChannels* plots_;
  FlightObserver* next_;
};

/// What ends a run's text once it is flown.
struct RunEnd {
  const Vehicle& vehicle;
  Real recommended_maxa;                   ///< [rad] after this run
  const Symbols& symbols;
  const LoadMaxima* session_maxima;        ///< shown when given (with an output file)
  std::filesystem::path constants_file;    ///< written between the budget's lines; empty: none
};

/// Writes the "Error! ..." line of a run that ended early, or the summary of
/// one flown to the end with the constants file between its two parts.
void write_run_end(TextChannel& out, const FlightResult& result, const RunEnd& end);

/// The run's end in brief, for a screen whose table goes to a file: the line
/// that ended it early, or its orbit lines and the recommended maxa.
void write_run_outcome(TextChannel& out, const FlightResult& result, const RunEnd& end);

}  // namespace ascent
