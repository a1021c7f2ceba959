#include "text/line.hpp"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "text/decimal_format.hpp"
#include "text/fixed_digits.hpp"

namespace ascent {

template <typename... Args>
Line& Line::format(const char* pattern, Args... args) {
  const std::size_t room = buffer_.size() - size_;
  const int written = std::snprintf(buffer_.data() + size_, room, pattern, args...);
  if (written < 0 || static_cast<std::size_t>(written) >= room) {
    throw std::length_error("text line longer than its buffer");
  }
  size_ += static_cast<std::size_t>(written);
  return *this;
}

Line& Line::text(std::string_view pieces) {
  if (pieces.size() > buffer_.size() - size_) throw std::length_error("text line longer than its buffer");
  std::memcpy(buffer_.data() + size_, pieces.data(), pieces.size());
  size_ += pieces.size();
  return *this;
}

Line& Line::byte(char raw) { return text(std::string_view(&raw, 1)); }

Line& Line::fixed(Extended x, int width, int decimals) {
  if (rounding_ == Rounding::not_read) {
    rounding_ = std::fegetround() == FE_TONEAREST ? Rounding::to_nearest : Rounding::other;
  }
  const std::size_t room = buffer_.size() - size_;
  char* const end = buffer_.data() + size_;
  // The table's numbers take the inline integer path; the rest goes through write_fixed.
  const bool fast = rounding_ == Rounding::to_nearest && width >= 0 && decimals >= 0 &&
                    decimals <= MAX_FAST_DECIMALS;
  std::size_t written = fast ? fixed_digits::write(end, room, fixed_digits::bits_of(x), width, decimals) : 0;
  if (written == 0) written = write_fixed(end, room, x, width, decimals);
  if (written > room) throw std::length_error("text line longer than its buffer");
  size_ += written;
  return *this;
}

Line& Line::rounded(Extended x, int width) {
  // rint rounds ties to even in the default rounding mode; adding +0 turns -0 into 0.
  return fixed(std::rint(x) + 0.0L, width, 0);
}

Line& Line::keep(std::size_t size) {
  if (size < size_) size_ = size;
  return *this;
}

Line& Line::integer(long long value, int width) { return format("%*lld", width, value); }

}  // namespace ascent
