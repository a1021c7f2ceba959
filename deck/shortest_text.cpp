#include "deck/shortest_text.hpp"

#include <array>
#include <charconv>

namespace ascent {

namespace {

/// Longest fixed-point text preferred to the exponent form: "0.0006786651738936614" fits.
constexpr std::ptrdiff_t LONGEST_FIXED = 24;

}  // namespace

std::string shortest_text(double x) {
  // Room for the longest forms: 309 digits before the point in fixed form,
  // "-2.2250738585072014e-308" in the other.
  std::array<char, 400> text{};
  char* const first = text.data();
  char* const last = text.data() + text.size();
  // Fixed point reads best ("200000" rather than "2e+05") while it stays short.
  const std::to_chars_result fixed = std::to_chars(first, last, x, std::chars_format::fixed);
  if (fixed.ec == std::errc() && fixed.ptr - first <= LONGEST_FIXED) return {first, fixed.ptr};
  return {first, std::to_chars(first, last, x).ptr};
}

}  // namespace ascent
