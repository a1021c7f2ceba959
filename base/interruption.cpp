#include "base/interruption.hpp"

#include <pthread.h>
#include <unistd.h>

#include <csignal>

namespace ascent {

namespace {

constexpr int SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// The one mutable object at namespace scope: a signal handler can reach
// nothing else, and may only store to a volatile sig_atomic_t.
volatile std::sig_atomic_t noted_signal = 0;

extern "C" void note_signal(int signal) {
  if (noted_signal == 0) noted_signal = signal;
}

sigset_t interruption_signals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : SIGNALS) sigaddset(&set, signal);
  return set;
}

}  // namespace

void install_interruption_handlers() {
  struct sigaction action {};
  action.sa_handler = note_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a wait ends with EINTR
  for (const int signal : SIGNALS) sigaction(signal, &action, nullptr);
}

int pending_interruption() noexcept {
  return noted_signal;
}

void check_interruption() {
  if (const int signal = noted_signal; signal != 0) throw Interrupted(signal);
}

void block_interruption_signals_in_this_thread() {
  const sigset_t set = interruption_signals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void end_if_interrupted() {
  const int signal = noted_signal;
  if (signal == 0) return;
  std::signal(signal, SIG_DFL);
  const sigset_t set = interruption_signals();
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  std::raise(signal);
  _exit(128 + signal);  // only if the default action did not end the program
}

}  // namespace ascent
