// Own evaluation of the extended-precision elementary functions. Each one
// reduces its argument without error (or into a head and a tail exact far
// below the last bit) to a short interval around a table point, evaluates a
// Taylor polynomial there and adds the parts so that only one addition rounds
// at the level of the result's last bit:
//
//   result = head + tail,  head exact,  |tail| < 2^-6 |head|
//
// The head is a table head of 32 bits plus a product of 32-bit factors, both
// exact; the tail gathers the table tails, the low parts of the products and
// the polynomial, each good to about 2^-64 of its own size, which is 2^-71 or
// less of the result. The result is thus the exact value rounded to nearest
// unless that lies within 2^-7 ulp of a halfway point (the logarithm near 1;
// 2^-10 ulp elsewhere).
#include "base/extended_math.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>

#include "base/extended_math_tables.hpp"

namespace ascent {

namespace {

namespace tables = extended_math_tables;

static_assert(std::numeric_limits<Extended>::digits == 64, "long double must be the x87 format");

/// Memory image of an x87 extended number: the explicit 64-bit significand,
/// then the sign bit and the 15-bit biased exponent.
struct ExtendedImage {
  std::uint64_t significand;
  std::uint16_t sign_exponent;
  std::array<unsigned char, sizeof(Extended) - 10> padding;
};
static_assert(sizeof(ExtendedImage) == sizeof(Extended));

constexpr int EXPONENT_BIAS = 16383;
constexpr std::uint64_t LEADING_BIT = std::uint64_t{1} << 63;

/// significand * 2^(exponent - 63) for a normal number.
Extended from_image(std::uint64_t significand, int exponent) {
  return std::bit_cast<Extended>(
      ExtendedImage{significand, static_cast<std::uint16_t>(exponent + EXPONENT_BIAS), {}});
}

/// The exact value head + tail, |tail| at most half an ulp of head.
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

/// a * b as its rounded product and the rounding error (Dekker).
Pair two_product(Extended a, Extended b) {
  const Extended product = a * b;
  const Pair as = split(a);
  const Pair bs = split(b);
  return {product, ((as.head * bs.head - product) + as.head * bs.tail + as.tail * bs.head) +
                       as.tail * bs.tail};
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
// first term left out stays below 2^-75 of the result.

/// (sin d - d) / d^3 in powers of d^2; |d| <= pi/256.
constexpr std::array<Extended, 4> SINE_TAIL = {-1.0L / 6, short_form(1.0L / 120),
                                               short_form(-1.0L / 5040), short_form(1.0L / 362880)};
/// (cos d - 1) / d^2 in powers of d^2; |d| <= pi/256.
constexpr std::array<Extended, 4> COSINE_TAIL = {-1.0L / 2, short_form(1.0L / 24),
                                                 short_form(-1.0L / 720), short_form(1.0L / 40320)};
/// (e^r - 1 - r) / r^2; |r| <= ln2/256.
constexpr std::array<Extended, 6> EXPONENTIAL_TAIL = {1.0L / 2,
                                                      short_form(1.0L / 6),
                                                      short_form(1.0L / 24),
                                                      short_form(1.0L / 120),
                                                      short_form(1.0L / 720),
                                                      short_form(1.0L / 5040)};
/// (log(1 + z) - z) / z^2; |z| < 2^-7.
constexpr std::array<Extended, 9> LOGARITHM_TAIL = {-1.0L / 2,
                                                    1.0L / 3,
                                                    short_form(-1.0L / 4),
                                                    short_form(1.0L / 5),
                                                    short_form(-1.0L / 6),
                                                    short_form(1.0L / 7),
                                                    short_form(-1.0L / 8),
                                                    short_form(1.0L / 9),
                                                    short_form(-1.0L / 10)};
/// (atan u - u) / u^3 in powers of u^2; |u| <= tan(1/64).
constexpr std::array<Extended, 5> ARCTANGENT_TAIL = {-1.0L / 3, short_form(1.0L / 5),
                                                     short_form(-1.0L / 7), short_form(1.0L / 9),
                                                     short_form(-1.0L / 11)};

/// Below this magnitude sin x and atan x round to x, and cos x to 1.
constexpr Extended TINY = 0x1p-32L;
/// Angles up to this magnitude are reduced here: k <= 40744 steps of
/// pi/128, and k times the 48-bit parts of pi/128 is exact.
constexpr Extended LARGEST_FAST_ANGLE = 1000.0L;
/// e^x and every part of its sum are normal numbers for |x| up to this.
constexpr Extended LARGEST_FAST_EXPONENT = 11300.0L;
/// atan is reduced here below this magnitude.
constexpr Extended LARGEST_FAST_TANGENT = 0x1p63L;

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
  const Pair sin_head = two_sum(row.sin_head, row.cos_head * ds.head);
  const Extended sin_tail = (sin_head.tail + row.sin_tail * cos_d + row.cos_tail * sin_d) +
                            (row.cos_head * sin_rest + row.sin_head * cos_less_1);
  // cos = C cos d - S sin d
  //     = C_h - S_h d_h + [C_h cos_less_1 - S_h sin_rest + C_t cos d - S_t sin d]
  const Pair cos_head = two_sum(row.cos_head, -(row.sin_head * ds.head));
  const Extended cos_tail = (cos_head.tail + row.cos_tail * cos_d - row.sin_tail * sin_d) +
                            (row.cos_head * cos_less_1 - row.sin_head * sin_rest);
  return {sin_head.head + sin_tail, cos_head.head + cos_tail};
}

/// atan of x > 0 as head + tail. With the table point c = j/32 nearest x
/// (x <= 1) or nearest 1/x (x > 1), atan x = atan c + atan u with
/// u = (x - c) / (1 + c x), or atan x = atan(1/c) + atan u with
/// u = (c x - 1) / (c + x); |u| <= tan(1/64) either way.
Pair arctangent_of_magnitude(Extended x) {
  const Pair xs = split(x);
  Pair numerator{};
  Pair denominator{};
  Pair base{};
  if (x <= 1.0L) {
    const Nearest j = nearest_integer(x * tables::ATAN_STEPS);
    const Extended c = j.value / tables::ATAN_STEPS;
    const tables::ArctangentRow& row = tables::ARCTANGENT[j.integer];
    numerator = {x - c, 0.0L};  // exact: c is within a factor 2 of x, or 0
    const Pair one_plus = fast_two_sum(1.0L, c * xs.head);
    denominator = fast_two_sum(one_plus.head, one_plus.tail + c * xs.tail);
    base = {row.of_step_head, row.of_step_tail};
  } else {
    const Nearest j = nearest_integer(tables::ATAN_STEPS / x);
    const Extended c = j.value / tables::ATAN_STEPS;
    const tables::ArctangentRow& row = tables::ARCTANGENT[j.integer];
    numerator = two_sum(c * xs.head - 1.0L, c * xs.tail);  // c x_head is within a factor 2 of 1
    denominator = two_sum(c, x);
    base = {row.of_inverse_head, row.of_inverse_tail};
  }
  // u = numerator / denominator as head + tail: the head's residual is exact.
  const Extended inverse = 1.0L / denominator.head;
  const Extended u = numerator.head * inverse;
  const Pair product = two_product(u, denominator.head);
  const Extended u_tail =
      (((numerator.head - product.head) - product.tail) + numerator.tail - u * denominator.tail) *
      inverse;
  const Extended u2 = u * u;
  const Pair head = fast_two_sum(base.head, u);
  return {head.head, head.tail + base.tail + u_tail + u * u2 * polynomial(u2, ARCTANGENT_TAIL)};
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

  // x = (128 m + j) ln2/128 + r, |r| <= ln2/256: e^x = 2^m 2^(j/128) e^r, r as head + tail.
  const Nearest k = nearest_integer(x * tables::STEPS_PER_LN2);
  const Pair r = two_sum(x - k.value * tables::LN2_STEP_1,  // exact: within a factor 2
                         -(k.value * tables::LN2_STEP_2));
  static_assert(tables::EXP_STEPS == 128);
  const tables::PowerOfTwoRow& row = tables::POWER_OF_TWO[k.integer & 127];
  const Extended scale = from_image(LEADING_BIT, static_cast<int>(k.integer >> 7));
  const Extended t_head = row.head * scale;  // T = 2^m 2^(j/128), scaled exactly
  const Extended t_tail = row.tail * scale;
  const Extended q = r.head * r.head * polynomial(r.head, EXPONENTIAL_TAIL);  // e^r - 1 - r
  const Pair rs = split(r.head);

  // T e^r = T_h + T_h r_h + [T_h (r_t + r tail) + T_t (1 + r) + T (e^r - 1 - r)]
  const Pair head = fast_two_sum(t_head, t_head * rs.head);
  const Extended tail =
      (head.tail + t_head * (rs.tail + r.tail) + t_tail * (1.0L + r.head)) + (t_head + t_tail) * q;
  return head.head + tail;
}

Extended logarithm(Extended x) {
  if (!(x >= std::numeric_limits<Extended>::min() && x <= std::numeric_limits<Extended>::max())) {
    return std::log(x);
  }

  // x = 2^e y, y in [1, 2); with the reciprocal c of y's cell, z = y c - 1 is
  // exact and log x = e ln2 - log c + log(1 + z).
  const ExtendedImage image = std::bit_cast<ExtendedImage>(x);
  const Extended e = image.sign_exponent - EXPONENT_BIAS;
  const Extended y_head = from_image(image.significand & 0xFFFFFFFF00000000u, 0);
  const Extended y_tail = from_image(image.significand, 0) - y_head;
  const tables::LogRow& row = tables::LOGARITHM[(image.significand >> 56) & 127u];
  const Extended z = (y_head * row.reciprocal - 1.0L) + y_tail * row.reciprocal;

  // e LN2_1 - log c has no rounding: both are multiples of 2^-50 below 2^14.
  // The low parts of e ln2 and -log c first: they cancel exactly just below 1.
  const Pair head = two_sum(e * tables::LN2_1 + row.minus_log_head, z);
  const Extended tail = ((e * tables::LN2_2 + row.minus_log_tail) + head.tail) +
                        z * z * polynomial(z, LOGARITHM_TAIL);
  return head.head + tail;
}

Extended arctangent(Extended x) {
  const Extended magnitude = std::fabs(x);
  if (!(magnitude < LARGEST_FAST_TANGENT)) return std::atan(x);
  if (magnitude < TINY) return x;
  const Pair a = arctangent_of_magnitude(magnitude);
  const Extended value = a.head + a.tail;
  return x < 0.0L ? -value : value;
}

}  // namespace ascent
