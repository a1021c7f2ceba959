// A request to end the program from outside: SIGINT, SIGTERM, SIGHUP, or
// SIGPIPE (the reader of the standard output went away). The handler only
// notes the signal; the program looks at the note at safe points (after a
// whole line is written, after a step, while it waits for an answer), ends
// its files on whole lines, removes its temporary files, and then ends by
// the same signal, as the shell that started it expects.
#pragma once

#include <exception>

namespace ascent {

/// Thrown at a safe point once a signal has asked the program to end.
class Interrupted : public std::exception {
 public:
  explicit Interrupted(int signal) : signal_(signal) {}
  [[nodiscard]] int signal() const { return signal_; }
  [[nodiscard]] const char* what() const noexcept override { return "interrupted by a signal"; }

 private:
  int signal_;
};

/// Installs the handler for the four signals. A system call that waits (a
/// read of the answers, a write to a full pipe) is not restarted after one:
/// it returns EINTR, and its caller looks at the note.
void install_interruption_handlers();

/// The signal that asked the program to end, or 0.
[[nodiscard]] int pending_interruption() noexcept;

/// Throws Interrupted when a signal has asked the program to end.
void check_interruption();

/// Keeps the four signals from the calling thread (a worker), so that they
/// reach the thread that writes and can be woken by them.
void block_interruption_signals_in_this_thread();

/// When a signal asked the program to end, ends it by that signal with the
/// signal's default action (the exit status a shell shows is 128 + its
/// number); otherwise returns.
void end_if_interrupted();

}  // namespace ascent
