// A line on the standard error that says how far the work is, shown only on
// a terminal and only once the work has taken more than a second.
#pragma once

#include <chrono>
#include <string>

namespace ascent::trim {

class ProgressLine {
 public:
  ProgressLine();
  ~ProgressLine() { clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void show(const std::string& text);
  /// Takes the line away, before other text goes to the terminal.
  void clear();

 private:
  using Clock = std::chrono::steady_clock;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point last_;
};

}  // namespace ascent::trim
