// The integer path of write_fixed, inline so that a writer of many numbers
// (a Line) forms each without a call: the digits of the exact binary value,
// rounded half to even in integer arithmetic.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

#include "text/decimal_format.hpp"

namespace ascent::fixed_digits {

static_assert(std::numeric_limits<long double>::digits == 64, "x87 80-bit long double expected");
static_assert(std::endian::native == std::endian::little, "x87 byte order expected");

// The scaled fraction needs up to 124 bits.
__extension__ typedef unsigned __int128 Wide;

/// 10^0 to 10^19, the largest power of ten below 2^64.
inline constexpr std::size_t POWERS_IN_64_BITS = 20;
inline constexpr std::array<std::uint64_t, POWERS_IN_64_BITS> POWERS_OF_TEN = [] {
  std::array<std::uint64_t, POWERS_IN_64_BITS> powers{};
  std::uint64_t p = 1;
  for (std::uint64_t& power : powers) {
    power = p;
    p *= 10;
  }
  return powers;
}();

/// "00" "01" ... "99": the digits of a number two at a time.
inline constexpr std::array<char, 200> DIGIT_PAIRS = [] {
  std::array<char, 200> pairs{};
  for (std::size_t i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

/// The x87 extended encoding: a 64-bit significand with an explicit integer
/// bit, then the sign and a 15-bit exponent biased by 16383.
struct ExtendedBits {
  std::uint64_t significand;
  std::uint16_t sign_exponent;
};

inline ExtendedBits bits_of(long double x) {
  unsigned char bytes[10];
  std::memcpy(bytes, &x, sizeof bytes);
  ExtendedBits bits{};
  std::memcpy(&bits.significand, bytes, 8);
  std::memcpy(&bits.sign_exponent, bytes + 8, 2);
  return bits;
}

/// |x| * 10^decimals rounded half to even, split at the decimal point.
struct FixedDigits {
  std::uint64_t whole;
  std::uint64_t fraction;  // below 10^decimals
};

/// The digits of |x| from its exact value, or nothing for an encoding outside
/// the integer path: NaN, infinity, non-canonical x87 patterns, |x| >= 2^64.
inline std::optional<FixedDigits> round_exactly(ExtendedBits bits, int decimals) {
  constexpr int EXPONENT_ALL_ONES = 0x7fff;
  constexpr int BIAS_AND_BINARY_POINT = 16383 + 63;
  const int exponent = bits.sign_exponent & EXPONENT_ALL_ONES;
  const bool integer_bit = (bits.significand >> 63) != 0;
  // |x| = significand / 2^shift.
  int shift = BIAS_AND_BINARY_POINT - exponent;
  // Normal values from 2^-61 up to 2^63, a table's numbers, take one test;
  // the scaled fraction below stays under 2^64 * 10^18 < 2^124.
  if (!integer_bit || static_cast<unsigned>(shift - 1) >= 124U) [[unlikely]] {
    // Canonical finite values have the integer bit set exactly when the exponent is not zero.
    if (exponent == EXPONENT_ALL_ONES || integer_bit != (exponent != 0)) return std::nullopt;
    // Subnormals share the exponent of the smallest normals.
    if (exponent == 0) shift = BIAS_AND_BINARY_POINT - 1;
    if (shift < 0) return std::nullopt;
    if (shift == 0) return FixedDigits{bits.significand, 0};
    // From a shift of 125 (|x| < 2^-61) the scaled fraction is under half a
    // unit of the last decimal: zero.
    return FixedDigits{0, 0};
  }

  const std::uint64_t scale = POWERS_OF_TEN[static_cast<std::size_t>(decimals)];
  const bool below_one = shift >= 64;
  std::uint64_t whole = below_one ? 0 : bits.significand >> shift;
  const std::uint64_t fraction_bits =
      below_one ? bits.significand : bits.significand & ((std::uint64_t{1} << shift) - 1);
  // The fraction's bits times 10^decimals, one 64 x 64 -> 128-bit product,
  // split at the binary point into the fraction's digits and the bits below
  // them (the tail, its top bit the one worth half a unit of the last digit).
  const Wide scaled = Wide{fraction_bits} * scale;
  const auto high = static_cast<std::uint64_t>(scaled >> 64);
  const auto low = static_cast<std::uint64_t>(scaled);
  std::uint64_t fraction = 0;
  std::uint64_t tail = 0;
  if (!below_one) {
    fraction = high << (64 - shift) | low >> shift;
    tail = low << (64 - shift);
  } else if (shift == 64) {
    fraction = high;
    tail = low;
  } else {
    const int high_shift = shift - 64;  // 1 to 60: the product is below 2^124
    fraction = high >> high_shift;
    tail = high << (64 - high_shift) | low >> high_shift;
    // Bits below the tail's word only break a tie: they go in its last bit.
    if ((low << (64 - high_shift)) != 0) tail |= 1;
  }
  constexpr std::uint64_t HALF = std::uint64_t{1} << 63;
  // A tie goes to the even last digit: of the fraction, or of the whole part with no decimals.
  const std::uint64_t last_digit_holder = decimals == 0 ? whole : fraction;
  if (tail > HALF || (tail == HALF && (last_digit_holder & 1) != 0)) {
    if (++fraction == scale) {
      fraction = 0;
      ++whole;
    }
  }
  return FixedDigits{whole, fraction};
}

inline int digit_count(std::uint64_t v) {
  const std::uint64_t odd = v | 1;  // as many digits as v, and one for zero
  // 1233 / 4096 is just below log10(2): the estimate, at most 19, is the count or one less.
  const auto estimate = static_cast<std::size_t>(std::bit_width(odd) * 1233 >> 12);
  return static_cast<int>(estimate) + (odd >= POWERS_OF_TEN[estimate] ? 1 : 0);
}

/// Digits formed by multiplications alone: v * LEADING_SCALES[count] holds
/// v's leading digit (an odd count) or pair above bit 57 and the rest of v as a
/// binary fraction below it, which each multiplication by 100 shifts a pair up.
/// With the scales rounded up, the error stays below the fraction's unit of the
/// last pair while v < 10^8.
inline constexpr int SHORT_DIGITS = 8;
inline constexpr int PAIR_POINT = 57;
inline constexpr std::array<std::uint64_t, SHORT_DIGITS + 1> LEADING_SCALES = [] {
  std::array<std::uint64_t, SHORT_DIGITS + 1> scales{};
  for (std::size_t count = 1; count <= SHORT_DIGITS; ++count) {
    // The leading piece's unit: 10^(count - 1) for a digit, 10^(count - 2) for a pair.
    scales[count] =
        (std::uint64_t{1} << PAIR_POINT) / POWERS_OF_TEN[(count - 1) & ~std::size_t{1}] + 1;
  }
  return scales;
}();

inline void put_pair(char* at, std::uint64_t pair) {
  std::memcpy(at, &DIGIT_PAIRS[pair * 2], 2);
}

/// put_digits for more than SHORT_DIGITS digits, by divisions by 100: only
/// numbers of 10^8 and more need it, rare in a table.
[[gnu::noinline]] inline void put_many_digits(char* end, std::uint64_t v, int count) {
  for (; count >= 2; count -= 2) {
    end -= 2;
    put_pair(end, v % 100);
    v /= 100;
  }
  if (count == 1) *--end = static_cast<char>('0' + v % 10);
}

/// Writes the `count` (at least 1) decimal digits of v < 10^count, leading
/// zeros included, so that they end just before `end`.
inline void put_digits(char* end, std::uint64_t v, int count) {
  if (count > SHORT_DIGITS) {
    put_many_digits(end, v, count);
    return;
  }
  constexpr std::uint64_t BELOW_PAIR = (std::uint64_t{1} << PAIR_POINT) - 1;
  char* next = end - count;
  std::uint64_t scaled = v * LEADING_SCALES[static_cast<std::size_t>(count)];
  if ((count & 1) != 0) {
    *next++ = static_cast<char>('0' + (scaled >> PAIR_POINT));
  } else {
    put_pair(next, scaled >> PAIR_POINT);
    next += 2;
  }
  for (; next < end; next += 2) {
    scaled = (scaled & BELOW_PAIR) * 100;
    put_pair(next, scaled >> PAIR_POINT);
  }
}

/// Fills out[0..count) with spaces. A field's padding is mostly a few bytes:
/// two overlapping word stores cost less than a call to memset.
inline void put_spaces(char* out, std::size_t count) {
  constexpr std::uint64_t EIGHT_SPACES = 0x2020202020202020;
  constexpr std::uint32_t FOUR_SPACES = 0x20202020;
  constexpr std::uint16_t TWO_SPACES = 0x2020;
  if (count < 2) {
    if (count == 1) *out = ' ';
  } else if (count < 4) {
    std::memcpy(out, &TWO_SPACES, 2);
    std::memcpy(out + count - 2, &TWO_SPACES, 2);
  } else if (count < 8) {
    std::memcpy(out, &FOUR_SPACES, 4);
    std::memcpy(out + count - 4, &FOUR_SPACES, 4);
  } else if (count <= 16) {
    std::memcpy(out, &EIGHT_SPACES, 8);
    std::memcpy(out + count - 8, &EIGHT_SPACES, 8);
  } else {
    std::memset(out, ' ', count);
  }
}

/// write_fixed_rounding_to_nearest for a width and decimals it takes
/// (0 <= decimals <= MAX_FAST_DECIMALS, width >= 0): the length of the text,
/// or 0 for a value the integer path does not cover, left to snprintf.
/// It takes x's bits: a caller that reads the rounding mode first keeps them
/// in integer registers across the call, where x itself would be stored as 80
/// bits and read back as 64 and 16, a load that waits for the store.
inline std::size_t write(char* out, std::size_t room, ExtendedBits bits, int width, int decimals) {
  const std::optional<FixedDigits> digits = round_exactly(bits, decimals);
  if (!digits) return 0;

  // printf writes the sign of negative zero and of negatives that round to zero.
  const bool negative = (bits.sign_exponent >> 15) != 0;
  const int whole_digits = digit_count(digits->whole);
  const int length = (negative ? 1 : 0) + whole_digits + (decimals > 0 ? 1 + decimals : 0);
  const auto padded = static_cast<std::size_t>(width > length ? width : length);
  if (padded > room) return padded;

  char* end = out + padded;
  if (decimals > 0) {
    put_digits(end, digits->fraction, decimals);
    end -= decimals;
    *--end = '.';
  }
  put_digits(end, digits->whole, whole_digits);
  end -= whole_digits;
  if (negative) *--end = '-';
  put_spaces(out, static_cast<std::size_t>(end - out));
  return padded;
}

}  // namespace ascent::fixed_digits
