// Fixed-point text of an extended real, byte for byte what
// snprintf(out, n, "%*.*Lf", width, decimals, x) writes, without its cost.
//
// The digits come from the exact binary value of x, rounded half to even in
// integer arithmetic (text/fixed_digits.hpp). Values that integer path does not cover (NaN,
// infinities, |x| >= 2^64, more than MAX_FAST_DECIMALS decimals, a negative
// width or precision, non-canonical x87 encodings, a rounding mode other than
// to-nearest) are handed to snprintf itself, so the text is exact everywhere.
#pragma once

#include <cstddef>

namespace ascent {

/// The most decimals the integer path writes; more go through snprintf.
inline constexpr int MAX_FAST_DECIMALS = 18;

/// Writes x with `decimals` digits after the point (none and no point when 0),
/// right-aligned with spaces in at least `width` characters, into out[0..room).
/// Returns the length of the text. The text is written, without a terminating
/// null, only when that length is at most `room`; when it is longer, nothing is
/// written past out[room - 1], what out holds is unspecified and the caller
/// sees the overflow in the returned length (SIZE_MAX for a text that snprintf
/// cannot form at all, longer than INT_MAX).
std::size_t write_fixed(char* out, std::size_t room, long double x, int width, int decimals);

/// write_fixed for a caller that has found the rounding mode to-nearest
/// (std::fegetround() == FE_TONEAREST) and writes several numbers in a row:
/// reading the mode costs as much as a short number's digits.
std::size_t write_fixed_rounding_to_nearest(char* out, std::size_t room, long double x, int width,
                                            int decimals);

}  // namespace ascent
