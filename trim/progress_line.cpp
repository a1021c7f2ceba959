#include "trim/progress_line.hpp"

#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "base/interruption.hpp"

namespace ascent::trim {

ProgressLine::ProgressLine() : enabled_(isatty(fileno(stderr)) != 0), start_(Clock::now()) {}

void ProgressLine::show(const std::string& text) {
  if (!enabled_) return;
  const Clock::time_point now = Clock::now();
  if (now - start_ < std::chrono::seconds(1)) return;
  if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
  std::fprintf(stderr, "\r%s\x1b[K", text.c_str());
  std::fflush(stderr);
  shown_ = true;
  last_ = now;
}

void ProgressLine::show(const std::string& text, std::size_t done, std::size_t total) {
  const std::chrono::duration<double> elapsed = Clock::now() - start_;
  const std::string left = time_left(elapsed.count(), done, total);
  show(left.empty() ? text : text + ", " + left);
}

std::string time_left(double elapsed, std::size_t done, std::size_t total) {
  if (done == 0 || done > total) return "";
  const double left =
      elapsed * static_cast<double>(total - done) / static_cast<double>(done);
  // Whole seconds under two minutes, whole minutes above: the pace varies.
  if (left < 120.0) return "about " + std::to_string(std::lround(left)) + " s left";
  return "about " + std::to_string(std::lround(left / 60.0)) + " min left";
}

void ProgressLine::clear() {
  if (!shown_) return;
  std::fputs("\r\x1b[K", stderr);
  std::fflush(stderr);
  shown_ = false;
}

void check_interrupted_after(std::size_t done, std::size_t total) {
  if (pending_interruption() == 0) return;
  std::fprintf(stderr, "ascent-trim: interrupted after %zu of %zu cases\n", done, total);
  check_interruption();
}

}  // namespace ascent::trim
