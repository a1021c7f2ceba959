// A line on the standard error that says how far long work is: a trim, a
// sweep, a dispersion study.
#pragma once

#include <chrono>
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
  void clear();

 private:
  using Clock = std::chrono::steady_clock;

  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point last_;
};

}  // namespace ascent::trim
