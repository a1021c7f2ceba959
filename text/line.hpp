// One line of text, built piece by piece in a fixed buffer, in the number
// formats of the trajectory table and the summaries:
//   fixed(x, w, d)  writes x in fixed point with d decimals, right-aligned in
//                   at least w characters (d = 0 writes no decimal point);
//   rounded(x, w)   writes x rounded to the nearest integer, a tie going to
//                   the even one, right-aligned in w characters.
// A value wider than its field takes the room it needs; nothing is cut.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "base/real.hpp"

namespace ascent {

class Line {
 public:
  /// An empty line. User-provided so that `Line{}` leaves the buffer as it
  /// is: zeroing 4 KiB for every row would cost more than writing the row.
  Line() {}  // NOLINT(modernize-use-equals-default)

  Line& text(std::string_view pieces);
  Line& byte(char raw);
  Line& fixed(Extended x, int width, int decimals);
  Line& rounded(Extended x, int width);
  Line& integer(long long value, int width);
  /// Keeps the first `size` bytes (at most the line's size) and drops the
  /// rest: lines that share a start are written one after the other.
  Line& keep(std::size_t size);

  [[nodiscard]] std::string_view view() const { return {buffer_.data(), size_}; }

 private:
  template <typename... Args>
  Line& format(const char* pattern, Args... args);

  // Room for ten values of the widest finite double in fixed point.
  std::array<char, 4096> buffer_;  // not cleared: only the first size_ bytes are read
  std::size_t size_ = 0;
  /// The rounding mode, read at the line's first number: a line is written
  /// in one go, so its numbers share the mode.
  enum class Rounding : char { not_read, to_nearest, other } rounding_ = Rounding::not_read;
};

}  // namespace ascent
