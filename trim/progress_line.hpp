// A line on the standard error that says how far long work is: a trim, a
// sweep, a dispersion study; and how far it got when a signal ended it.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace ascent::trim {

/// Shown only on a terminal and only once the work has taken more than a
/// second, redrawn at most ten times a second, cleared when it goes.
class ProgressLine {
 public:
  ProgressLine();
  ~ProgressLine() { clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void show(const std::string& text);
  /// `text` and, once some of the `total` are done, the time left at the
  /// pace so far: "dispersions: 120 of 1000 cases flown, about 2 min left".
  void show(const std::string& text, std::size_t done, std::size_t total);
  void clear();

 private:
  using Clock = std::chrono::steady_clock;

  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point last_;
};

/// "about 40 s left", "about 3 min left": the time that `total - done` more
/// take when `done` took `elapsed` seconds; "" before any is done.
[[nodiscard]] std::string time_left(double elapsed, std::size_t done, std::size_t total);

/// When a signal ended a sweep or a study after `done` of `total` cases,
/// says "interrupted after N of M cases" on the standard error and throws
/// Interrupted, so the program ends by the signal; otherwise returns.
void check_interrupted_after(std::size_t done, std::size_t total);

}  // namespace ascent::trim
