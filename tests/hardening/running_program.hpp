// A built program run as a child process the test can talk to: answers fed
// through a pipe as the test likes, its standard output read through a pipe
// (which the test may close, as `| head` does), a limit on the size of the
// files it writes, and signals sent while it runs.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ascent::testing {

struct Launch {
  std::string program;                 ///< path of the executable
  std::vector<std::string> arguments;  ///< after the program's name
  std::filesystem::path folder;        ///< working folder
  /// The standard input: this file, or (when empty) a pipe the test writes to.
  std::filesystem::path input_file;
  long long file_size_limit = -1;      ///< [bytes] RLIMIT_FSIZE with SIGXFSZ ignored; -1: none
  bool close_standard_output = false;  ///< started with its standard output closed
  /// The standard output: this file (/dev/full, say), or (when empty) a pipe the test reads.
  std::filesystem::path output_file;
};

/// `program` in `folder` with `arguments`, answers through a pipe.
Launch launch_of(std::string program, std::filesystem::path folder,
                 std::vector<std::string> arguments = {});

class RunningProgram {
 public:
  explicit RunningProgram(const Launch& launch);
  /// Kills a program still running, and waits for it.
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  /// Writes answers to the standard input pipe.
  void answer(std::string_view text);
  /// Closes the standard input pipe: the end of the answers.
  void end_input();
  /// Reads the standard output until it holds `text`; false when the
  /// program ended or `timeout` passed first.
  bool wait_for_output(std::string_view text,
                       std::chrono::milliseconds timeout = std::chrono::seconds(60));
  /// Stops reading the standard output: the reader went away.
  void close_output();
  void send(int signal) const;
  /// Sends `signal` until the program ends: a signal that comes in the
  /// instant between the program's look at its note and its wait for an
  /// answer is acted on at the next one.
  void interrupt(int signal);
  /// Waits until the program sleeps in the kernel in a function whose name
  /// holds `kernel_wait`, as /proc shows it: "pipe_read" while it waits for an
  /// answer, "pipe_write" while it waits for room in a full pipe. False when
  /// `timeout` passed first.
  [[nodiscard]] bool wait_until_sleeping_in(
      std::string_view kernel_wait,
      std::chrono::milliseconds timeout = std::chrono::seconds(60)) const;
  /// Fills the pipe behind the standard output, as a reader that stopped
  /// reading leaves it: the program's next write to it waits.
  void fill_output_pipe() const;
  /// Reads at most `bytes` of the standard output, as a slow reader takes them.
  void take_output(std::size_t bytes);
  /// Waits at most `limit` for the end without reading its output: true
  /// when the program ended (its status then comes from wait()).
  [[nodiscard]] bool ends_unread(std::chrono::milliseconds limit);
  /// Waits for the end, reading both streams; the exit status as a shell
  /// shows it (128 + the signal's number when a signal ended it). A program
  /// still running after `limit` is killed (status 128 + SIGKILL).
  int wait(std::chrono::milliseconds limit = std::chrono::minutes(2));
  /// True when a signal ended the program (valid after wait()).
  [[nodiscard]] bool signalled() const { return signalled_; }

  [[nodiscard]] pid_t pid() const { return pid_; }
  [[nodiscard]] const std::string& standard_output() const { return output_; }
  [[nodiscard]] const std::string& standard_error() const { return errors_; }

 private:
  /// Reads what the two pipes hold, waiting at most `timeout`; false at their end.
  bool read_some(std::chrono::milliseconds timeout);

  pid_t pid_ = -1;
  int input_ = -1;  ///< write end of the standard input pipe
  int output_pipe_ = -1;
  int error_pipe_ = -1;
  std::string output_;
  std::string errors_;
  bool ended_ = false;
  bool signalled_ = false;
  int status_ = -1;
};

}  // namespace ascent::testing
