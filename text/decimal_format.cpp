#include "text/decimal_format.hpp"

#include <cfenv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "text/fixed_digits.hpp"

namespace ascent {
namespace {

std::size_t write_with_printf(char* out, std::size_t room, long double x, int width, int decimals) {
  const int written = std::snprintf(out, room, "%*.*Lf", width, decimals, x);
  if (written < 0) return std::numeric_limits<std::size_t>::max();
  const auto length = static_cast<std::size_t>(written);
  if (length == room && room > 0) {
    // snprintf kept the last byte for its null: form the text again with room for it.
    std::string whole_text(length + 1, '\0');
    std::snprintf(whole_text.data(), whole_text.size(), "%*.*Lf", width, decimals, x);
    std::memcpy(out, whole_text.data(), length);
  }
  return length;
}

}  // namespace

std::size_t write_fixed(char* out, std::size_t room, long double x, int width, int decimals) {
  // printf rounds in the current rounding mode; the integer path knows only to-nearest.
  if (std::fegetround() != FE_TONEAREST) return write_with_printf(out, room, x, width, decimals);
  return write_fixed_rounding_to_nearest(out, room, x, width, decimals);
}

std::size_t write_fixed_rounding_to_nearest(char* out, std::size_t room, long double x, int width,
                                            int decimals) {
  if (width < 0 || decimals < 0 || decimals > MAX_FAST_DECIMALS) {
    return write_with_printf(out, room, x, width, decimals);
  }
  const std::size_t length = fixed_digits::write(out, room, x, width, decimals);
  return length != 0 ? length : write_with_printf(out, room, x, width, decimals);
}

}  // namespace ascent
