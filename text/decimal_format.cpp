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

/// The value of an x87 encoding: snprintf's argument, rebuilt from the bits so
/// that x itself need not outlive the read of the rounding mode.
long double value_of(fixed_digits::ExtendedBits bits) {
  long double x = 0.0L;
  std::memcpy(&x, &bits.significand, 8);
  std::memcpy(reinterpret_cast<unsigned char*>(&x) + 8, &bits.sign_exponent, 2);
  return x;
}

/// write_fixed_rounding_to_nearest of x, given by its bits.
std::size_t write_to_nearest(char* out, std::size_t room, fixed_digits::ExtendedBits bits, int width,
                             int decimals) {
  const bool fast = width >= 0 && decimals >= 0 && decimals <= MAX_FAST_DECIMALS;
  const std::size_t length = fast ? fixed_digits::write(out, room, bits, width, decimals) : 0;
  return length != 0 ? length : write_with_printf(out, room, value_of(bits), width, decimals);
}

}  // namespace

std::size_t write_fixed(char* out, std::size_t room, long double x, int width, int decimals) {
  const fixed_digits::ExtendedBits bits = fixed_digits::bits_of(x);
  // printf rounds in the current rounding mode; the integer path knows only to-nearest.
  if (std::fegetround() != FE_TONEAREST) return write_with_printf(out, room, value_of(bits), width, decimals);
  return write_to_nearest(out, room, bits, width, decimals);
}

std::size_t write_fixed_rounding_to_nearest(char* out, std::size_t room, long double x, int width,
                                            int decimals) {
  return write_to_nearest(out, room, fixed_digits::bits_of(x), width, decimals);
}

}  // namespace ascent
