// Own evaluation of the extended-precision elementary functions. Each one
// reduces its argument to a short interval around a table point, evaluates a
// Taylor polynomial there and adds the parts so that one final addition
// rounds at the level of the result's last bit:
//
//   result = head + tail,  |tail| < 2^-5 |head|
//
// Sine, cosine and logarithm keep the head exact (a table head of 32 bits
// plus a product of 32-bit factors) and their reduced arguments as head and
// tail, so every other rounding is 2^-70 of the result or less: they are
// correctly rounded unless the exact value lies within 2^-7 ulp of a halfway
// point. Exponential and arctangent round their reduced argument and a
// product, a sum or a quotient, each 2^-68 of the result at most: within
// 0.54 ulp, for speed.
#include "base/extended_math.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <utility>

#include "base/extended_math_tables.hpp"

namespace ascent {

namespace {

namespace tables = extended_math_tables;

static_assert(std::numeric_limits<Extended>::digits == 64, "long double must be the x87 format");

/// The bits of a double. The double nearest an extended number tells its
/// exponent and leading fraction bits, but where the rounding carried into them.
constexpr std::uint64_t bits_of(double x) {
  return std::bit_cast<std::uint64_t>(x);
}

constexpr int DOUBLE_BIAS = 1023;
constexpr int FRACTION_BITS = 52;

/// 2^m as a double, |m| <= 1022.
double power_of_two(int m) {
  return std::bit_cast<double>(static_cast<std::uint64_t>(m + DOUBLE_BIAS) << FRACTION_BITS);
}

/// The value head + tail, the tail far below the head's last bit.
struct Pair {
  Extended head;
  Extended tail;
};

/// a + b as its rounded sum and the rounding error (Knuth).
Pair two_sum(Extended a, Extended b) {
  const Extended sum = a + b;
  const Extended b_part = sum - a;
  return {sum, (a - (sum - b_part)) + (b - b_part)};
}

/// a + b as its rounded sum and the rounding error, for |a| >= |b| or a = 0 (Dekker).
Pair fast_two_sum(Extended a, Extended b) {
  const Extended sum = a + b;
  return {sum, b - (sum - a)};
}

/// x = head + tail with head of 32 significant bits and tail of at most 32
/// (Veltkamp): either times a number of 32 bits is exact.
Pair split(Extended x) {
  const Extended scaled = x * 0x100000001p0L;  // 2^32 + 1
  const Extended head = scaled - (scaled - x);
  return {head, x - head};
}

/// The integer nearest to t, |t| < 2^62, as a number and as an integer.
struct Nearest {
  Extended value;
  std::int64_t integer;
};

/// One x87 store-integer instruction (errno is not kept in this file), so
/// that it works in any precision of the unit, valgrind's 53 bits included.
Nearest nearest_integer(Extended t) {
  const std::int64_t n = std::lrint(t);
  return {static_cast<Extended>(n), n};
}

/// c[0] + c[1] x + c[2] x^2 + ... by Estrin's scheme: neighbours paired
/// into polynomials in x^2, recursively, so that the chain of dependent
/// operations grows with log N rather than N.
template <std::size_t N>
Extended polynomial(Extended x, const std::array<Extended, N>& c);

template <std::size_t N, std::size_t... I>
Extended paired(Extended x, const std::array<Extended, N>& c, std::index_sequence<I...>) {
  constexpr auto pair = [](Extended y, const std::array<Extended, N>& a, std::size_t i) {
    return 2 * i + 1 < N ? a[2 * i] + a[2 * i + 1] * y : a[2 * i];
  };
  return polynomial(x * x, std::array<Extended, sizeof...(I)>{pair(x, c, I)...});
}

template <std::size_t N>
Extended polynomial(Extended x, const std::array<Extended, N>& c) {
  if constexpr (N == 1) {
    return c[0];
  } else {
    return paired(x, c, std::make_index_sequence<(N + 1) / 2>{});
  }
}

/// A coefficient held to 53 bits: it loads faster than an extended one.
/// Those of the higher powers are: their rounding stays below 2^-76 of the
/// result.
constexpr Extended short_form(Extended c) {
  return static_cast<double>(c);
}

// Taylor coefficients, rounded by the compiler. The bounds say where the
// first term left out stays below 2^-72 of the result.

/// (sin d - d) / d^3 in powers of d^2; |d| <= pi/256.
constexpr std::array<Extended, 4> SINE_TAIL = {-1.0L / 6, short_form(1.0L / 120),
                                               short_form(-1.0L / 5040), short_form(1.0L / 362880)};
/// (cos d - 1) / d^2 in powers of d^2; |d| <= pi/256.
constexpr std::array<Extended, 4> COSINE_TAIL = {-1.0L / 2, short_form(1.0L / 24),
                                                 short_form(-1.0L / 720), short_form(1.0L / 40320)};
/// (e^r - 1 - r) / r^2; |r| <= ln2/1024.
constexpr std::array<Extended, 4> EXPONENTIAL_TAIL = {1.0L / 2, short_form(1.0L / 6),
                                                      short_form(1.0L / 24),
                                                      short_form(1.0L / 120)};
/// (log(1 + z) - z) / z^2; |z| <= 2^-8.
constexpr std::array<Extended, 8> LOGARITHM_TAIL = {-1.0L / 2,
                                                    1.0L / 3,
                                                    short_form(-1.0L / 4),
                                                    short_form(1.0L / 5),
                                                    short_form(-1.0L / 6),
                                                    short_form(1.0L / 7),
                                                    short_form(-1.0L / 8),
                                                    short_form(1.0L / 9)};
/// (atan u - u) / u^3 in powers of u^2; |u| <= 2^-7.
constexpr std::array<Extended, 4> ARCTANGENT_TAIL = {-1.0L / 3, short_form(1.0L / 5),
                                                     short_form(-1.0L / 7), short_form(1.0L / 9)};

/// Below this magnitude sin x and atan x round to x, and cos x to 1.
constexpr Extended TINY = 0x1p-32L;
/// Angles up to this magnitude are reduced here: k <= 40744 steps of
/// pi/128, and k times the 48-bit parts of pi/128 is exact.
constexpr Extended LARGEST_FAST_ANGLE = 1000.0L;
/// For |x| up to this, 2^m of e^x and the scaled table values are normal doubles.
constexpr Extended LARGEST_FAST_EXPONENT = 650.0L;
/// log is reduced here between these: the exponent stays a double's.
constexpr Extended SMALLEST_FAST_LOGARITHM = 0x1p-1000L;
constexpr Extended LARGEST_FAST_LOGARITHM = 0x1p1000L;

/// sin and cos of j pi/128 + d, d = head + tail, |d| <= pi/256: the
/// angle-sum formulas with S and C, the sine and cosine of the table point,
/// as 32-bit heads and tails of 2^-33 of them.
SineCosine sine_cosine_near(const tables::SineCosineRow& row, Pair d) {
  const Extended d2 = d.head * d.head;
  const Pair ds = split(d.head);
  // sin(d) - d_head and cos(d) - 1, to first order in the tail.
  const Extended sin_rest = (ds.tail + d.tail) + d.head * d2 * polynomial(d2, SINE_TAIL);
  const Extended cos_less_1 = d2 * polynomial(d2, COSINE_TAIL) - d.head * d.tail;
  const Extended sin_d = ds.head + sin_rest;
  const Extended cos_d = 1.0L + cos_less_1;

  // sin = S cos d + C sin d
  //     = S_h + C_h d_h + [C_h sin_rest + S_h cos_less_1 + S_t cos d + C_t sin d]
  const Pair sin_head =
      fast_two_sum(row.sin_head, row.cos_head * ds.head);  // |S| > 2 |C d| or S = 0
  const Extended sin_tail = (sin_head.tail + row.sin_tail * cos_d + row.cos_tail * sin_d) +
                            (row.cos_head * sin_rest + row.sin_head * cos_less_1);
  // cos = C cos d - S sin d
  //     = C_h - S_h d_h + [C_h cos_less_1 - S_h sin_rest + C_t cos d - S_t sin d]
  const Pair cos_head = fast_two_sum(row.cos_head, -(row.sin_head * ds.head));  // |C| > 2 |S d|
  const Extended cos_tail = (cos_head.tail + row.cos_tail * cos_d - row.sin_tail * sin_d) +
                            (row.cos_head * cos_less_1 - row.sin_head * sin_rest);
  return {sin_head.head + sin_tail, cos_head.head + cos_tail};
}

/// base + atan u, for base = head + tail and |u| <= 2^-7 below |base| or with base 0.
Extended plus_arctangent(double base_head, double base_tail, Extended u) {
  const Extended u2 = u * u;
  const Pair head = fast_two_sum(base_head, u);
  return head.head + ((head.tail + base_tail) + u * u2 * polynomial(u2, ARCTANGENT_TAIL));
}

/// atan of x >= 2^-7: atan x = atan a + atan u with the table point a nearest
/// x and u = (x - a) / (1 + a x), or atan x = pi/2 + atan(-1/x) from 2^7 on.
/// The rounding of u, 2^-63 of it at most, is 2^-68 of the result at most.
Extended arctangent_of_magnitude(Extended x) {
  // The double nearest x tells the binade and the leading fraction bits.
  const std::uint64_t bits = bits_of(static_cast<double>(x));
  if (bits >= bits_of(0x1p7)) {
    return plus_arctangent(tables::HALF_PI_HEAD, tables::HALF_PI_TAIL, -1.0L / x);
  }
  constexpr int shift = FRACTION_BITS - tables::ATAN_CELL_BITS;
  static_assert(std::size(tables::ARCTANGENT) == (bits_of(0x1p7) - bits_of(0x1p-7)) >> shift);
  const tables::ArctangentRow& row = tables::ARCTANGENT[(bits - bits_of(0x1p-7)) >> shift];
  // x - a is exact: a is within a factor 2 of x.
  return plus_arctangent(row.head, row.tail, (x - row.centre) / (1.0L + row.centre * x));
}

}  // namespace

SineCosine sine_cosine(Extended x) {
  const Extended magnitude = std::fabs(x);
  if (!(magnitude <= LARGEST_FAST_ANGLE)) return {std::sin(x), std::cos(x)};
  if (magnitude < TINY) return {x, 1.0L};

  // x = k pi/128 + d, |d| <= pi/256, d as head + tail (Cody and Waite, the
  // step in three parts); k = 64 q + j: q quarter turns and j steps.
  const Nearest k = nearest_integer(x * tables::STEPS_PER_RADIAN);
  const Pair partial = two_sum(x - k.value * tables::ANGLE_STEP_1,  // exact: within a factor 2
                               -(k.value * tables::ANGLE_STEP_2));
  const Pair d = fast_two_sum(partial.head, partial.tail - k.value * tables::ANGLE_STEP_3);
  static_assert(tables::STEPS_PER_QUARTER_TURN == 64);
  const SineCosine v = sine_cosine_near(tables::SINE_COSINE[k.integer & 63], d);
  switch ((k.integer >> 6) & 3) {
    case 0:
      return {v.sin, v.cos};
    case 1:
      return {v.cos, -v.sin};
    case 2:
      return {-v.sin, -v.cos};
    default:
      return {-v.cos, v.sin};
  }
}

Extended sine(Extended x) {
  return sine_cosine(x).sin;
}

Extended exponential(Extended x) {
  if (!(std::fabs(x) <= LARGEST_FAST_EXPONENT)) return std::exp(x);

  // x = (512 m + j) ln2/512 + r, |r| <= ln2/1024: e^x = 2^m 2^(j/512) e^r.
  const Nearest k = nearest_integer(x * tables::STEPS_PER_LN2);
  const Extended r = (x - k.value * tables::LN2_STEP_1)  // exact: within a factor 2
                     - k.value * tables::LN2_STEP_2;
  static_assert(tables::EXP_STEPS == 512);
  const tables::PowerOfTwoRow& row = tables::POWER_OF_TWO[k.integer & 511];
  const double scale = power_of_two(static_cast<int>(k.integer >> 9));
  const Extended t_head = row.head * scale;  // T = 2^m 2^(j/512), scaled exactly
  const Extended t_tail = row.tail * scale;
  const Extended t = t_head + t_tail;

  // T e^r = T_h + [(T_t + T r) + T r^2 Q(r)]: the bracket's parts wait only
  // for r while the polynomial Q is evaluated, and its one product with Q
  // comes last. The roundings of r, T r and the inner sum are 2^-74 of the
  // result each.
  return t_head + ((t_tail + t * r) + (t * (r * r)) * polynomial(r, EXPONENTIAL_TAIL));
}

Extended logarithm(Extended x) {
  if (!(x >= SMALLEST_FAST_LOGARITHM && x < LARGEST_FAST_LOGARITHM)) return std::log(x);

  // x = 2^e y, y in [1, 2), y in cell i; with the cell's reciprocal c,
  // z = x c 2^-e - 1 is exact and log x = e ln2 - log c + log(1 + z). The
  // double nearest x gives e and i; where it rounds up into the next cell or
  // binade, z is still within the bounds of that cell.
  const std::uint64_t bits = bits_of(static_cast<double>(x));
  const int e = static_cast<int>(bits >> FRACTION_BITS) - DOUBLE_BIAS;
  static_assert(tables::LOG_CELLS == 256);
  const tables::LogRow& row = tables::LOGARITHM[(bits >> (FRACTION_BITS - 8)) & 255];
  const double scale = power_of_two(-e);
  // Both parts times the 10-bit reciprocal are exact, and so are their scalings.
  const Pair xs = split(x);
  const Extended z =
      (xs.head * row.reciprocal * scale - 1.0L) + xs.tail * row.reciprocal * scale;

  // e LN2_1 - log c has no rounding: both are multiples of 2^-42 below 2^10.
  // The low parts of e ln2 and -log c first: they cancel exactly just below 1.
  const Pair head = two_sum(e * tables::LN2_1 + row.minus_log_head, z);
  const Extended tail = ((e * tables::LN2_2 + row.minus_log_tail) + head.tail) +
                        z * z * polynomial(z, LOGARITHM_TAIL);
  return head.head + tail;
}

Extended arctangent(Extended x) {
  const Extended magnitude = std::fabs(x);
  if (!(magnitude <= std::numeric_limits<Extended>::max())) return std::atan(x);
  if (magnitude < 0x1p-7L) {
    // atan x = x + x^3 (-1/3 + ...), below 2^-32 just x.
    if (magnitude < TINY) return x;
    const Extended x2 = x * x;
    return x + x * x2 * polynomial(x2, ARCTANGENT_TAIL);
  }
  const Extended value = arctangent_of_magnitude(magnitude);
  return x < 0.0L ? -value : value;
}

}  // namespace ascent
