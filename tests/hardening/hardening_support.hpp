// What the bad-input tests share: the failure report's cause, the check that
// nothing written was lost, a session that counts its integration steps, and
// the built program run with its standard streams where a test wants them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "support/session.hpp"

namespace ascent::testing {

inline constexpr const char* FILE_PROMPT = "Enter output filename (return is standard output): ";
inline constexpr const char* TURN_PROMPT = "Turn time (s)? ";
inline constexpr const char* ANGLE_PROMPT = "Maximum angle of attack (degrees)? ";
inline constexpr const char* PLOT_FILES[] = {"speed.dat", "height.dat", "accel.dat", "dynpres.dat"};

/// The failure report's second line, what failed, without its indent ("" without a report).
std::string failure_cause(std::string_view standard_output);

/// Rows of the trajectory table in a text: the step rows, not the pad and
/// liftoff rows (which have no plot lines).
std::size_t step_rows(std::string_view text);

/// Lines of a text, which must end with a complete line ("" has none).
std::size_t complete_lines(std::string_view text);

/// True when the text shows a value that is not a number or infinite.
bool shows_non_finite(std::string_view text);

/// A session in this process that also counts the integration steps it took.
struct CountedSession {
  SessionResult result;
  std::size_t steps = 0;
};
CountedSession run_counting_steps(const TempDir& dir, std::string_view answers);

/// Nothing written was lost: the output file `name` holds a row for every
/// step, each plot file a line for every step, all of them complete lines,
/// and the booster thrust file is the sample, unchanged.
void expect_nothing_lost(const TempDir& dir, std::string_view name, std::size_t steps);

/// Every file a session wrote in `dir` is whole: the output file
/// `output_name` and the plot files end on whole lines with a plot line for
/// every row, the constants file is absent or complete, no temporary file is
/// left, and the booster thrust file is the sample, unchanged.
void expect_whole_files(const TempDir& dir, std::string_view output_name);

/// Names of the temporary files (".NAME.PID.part") left in `dir`.
std::string temporary_files(const TempDir& dir);

/// How the built program ended, with what it wrote on its two streams.
struct ProgramResult {
  std::string standard_output;
  std::string standard_error;
  int status = -1;
};

/// Runs the built `ascent` in `dir` with `answers` on its standard input,
/// read from the file "answers.in" there. Its standard output goes to
/// `output_target` when given (a path, or "-" for a closed stream), else to
/// the file "session.out", which is read back.
ProgramResult run_program_with(const TempDir& dir, std::string_view answers,
                               const std::string& output_target = "");

}  // namespace ascent::testing
