// The program's text channels and everything that depends on where the
// output goes: the output channel (a named file or the standard output), the
// console (always the standard output, prompts only), the four plot files,
// the three special characters, and the numeric prompt.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/real.hpp"
#include "text/file_guard.hpp"
#include "text/folder_lock.hpp"
#include "text/session_files.hpp"
#include "text/symbols.hpp"
#include "text/text_channel.hpp"
#include "text/trajectory_row.hpp"

namespace ascent {

class Channels {
 public:
  /// `work_dir` is the folder of every file the program names.
  Channels(std::FILE* standard_input, std::FILE* standard_output, std::filesystem::path work_dir);

  /// Locks the working folder for this session (FolderLock: RuntimeError 5
  /// when another session holds it), asks for the output file name, binds
  /// the output channel and the console, chooses the special characters and
  /// creates the plot files.
  /// A name that holds a NUL byte, or that names a file the program reads or
  /// writes otherwise (`booster_thrust_file`, empty for BOOSTER_THRUST_FILE
  /// in the working folder; a plot file; the constants file; the file behind
  /// the standard input or output), is refused with a line on the console
  /// and asked for again: nothing is opened or emptied.
  void open_channels(const std::filesystem::path& booster_thrust_file = {});
  /// Locks the working folder as open_channels does, binds the output
  /// channel to the file `name` (or, when empty, to the standard output)
  /// without asking, and creates the plot files with a file.
  /// Throws FileRefused when a file to be written reaches a file the program
  /// reads or writes otherwise.
  void bind_output(const std::string& name,
                   const std::filesystem::path& booster_thrust_file = {});

  /// Keeps every writer off `path`, a further file the program reads
  /// (`what`: "the vehicle deck"). Throws FileRefused when a writer has it.
  void guard_read_file(const std::filesystem::path& path, std::string what);

  /// Prompts on the console, reads one number from the standard input,
  /// drops the rest of its line and echoes the answer. Throws EndOfInput
  /// when the input has ended, RuntimeError 106 for an answer that is not a
  /// number; on a terminal such an answer gets a hint (and `typo_hint`)
  /// and the prompt again.
  Real prompt_real(std::string_view prompt, std::string_view typo_hint = "");
  /// With an output file, writes the prompt and the answer (6:3) there, as a
  /// record of the dialogue beside the table.
  void echo_answer(std::string_view prompt, Real answer);

  /// Flushes the output file and the plot files, so that what a run has
  /// written can be read while the program waits.
  void flush_files();
  /// Closes the output channel, the console and the plot files, in that
  /// order, and lets the working folder go.
  void close_channels();
  /// Flushes and closes everything without raising, after a failure, and
  /// lets the working folder go.
  void abandon() noexcept;

  [[nodiscard]] bool output_to_file() const { return output_to_file_; }
  [[nodiscard]] const std::string& output_filename() const { return output_filename_; }
  [[nodiscard]] std::filesystem::path path_of(std::string_view file_name) const;

  /// The output file's channel, or the console's when the output goes to
  /// the standard output: one channel, so that rows and prompts keep their order.
  TextChannel& output() { return output_to_file_ ? output_ : console_; }
  TextChannel& console() { return console_; }
  PlotChannels& plots() { return plots_; }
  /// ISO 8859-1 in a named file; on the console UTF-8 when it is a UTF-8
  /// terminal, else code page 437 (as saved transcripts have it).
  [[nodiscard]] const Symbols& symbols() const { return symbols_; }
  /// The special characters of the console, whatever the output channel.
  [[nodiscard]] const Symbols& console_symbols() const { return console_symbols_; }
  /// The output goes to a file while someone reads the terminal: what ends
  /// a run is shown on the screen too.
  [[nodiscard]] bool screen_misses_output() const { return output_to_file_ && on_terminal_; }

 private:
  std::string read_output_filename();
  /// Locks the working folder and guards the files every session reads and
  /// writes; `booster_thrust_file` as for open_channels.
  void guard_session_files(const std::filesystem::path& booster_thrust_file);
  /// Why `name` cannot be the output file, or "" when it can.
  [[nodiscard]] std::string refusal(const std::string& name) const;

  std::FILE* standard_input_;
  std::FILE* standard_output_;
  std::filesystem::path work_dir_;
  FolderLock work_dir_lock_;  ///< held from the session's start to its end
  /// The files no writer may reach; the plot files are claimed with an output file.
  FileGuard guard_;
  bool guarded_ = false;
  std::string output_filename_;
  bool output_to_file_ = false;
  TextChannel output_;
  TextChannel console_;
  PlotChannels plots_;
  Symbols symbols_ = CP437_SYMBOLS;
  Symbols console_symbols_ = CP437_SYMBOLS;
  bool on_terminal_ = false;
};

}  // namespace ascent
