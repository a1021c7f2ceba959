// write_fixed against its reference, snprintf("%*.*Lf"), byte for byte: random
// extended values in the range the program prints, the whole integer path,
// exact ties and their neighbours, carries into a new digit, signed zeros,
// subnormals, and the values snprintf formats itself.
#include "text/decimal_format.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>

#include "text/line.hpp"

namespace ascent {
namespace {

// Fewer random values under the sanitizers, whose snprintf interceptor is slow.
#if defined(__SANITIZE_ADDRESS__)
constexpr int RANDOM_VALUES_PER_DECIMALS = 400'000;
#else
constexpr int RANDOM_VALUES_PER_DECIMALS = 2'000'000;
#endif

/// Largest text of a test: LDBL_MAX with the most fast decimals, or a wide field.
constexpr std::size_t TEXT_ROOM = 8192;

long double from_bits(std::uint64_t significand, std::uint16_t sign_exponent) {
  long double x = 0.0L;
  std::memcpy(&x, &significand, 8);
  std::memcpy(reinterpret_cast<unsigned char*>(&x) + 8, &sign_exponent, 2);
  return x;
}

std::string printf_text(long double x, int width, int decimals) {
  char text[TEXT_ROOM];
  const int length = std::snprintf(text, sizeof text, "%*.*Lf", width, decimals, x);
  return {text, static_cast<std::size_t>(length)};
}

/// Compares values one by one and keeps the first mismatches for the report.
class Comparison {
 public:
  void check(long double x, int width, int decimals) {
    ++compared_;
    char ours[TEXT_ROOM];
    const std::size_t length = write_fixed(ours, sizeof ours, x, width, decimals);
    const std::string reference = printf_text(x, width, decimals);
    if (std::string(ours, std::min(length, sizeof ours)) == reference) return;
    if (++mismatches_ <= 10) {
      char value[64];
      std::snprintf(value, sizeof value, "%La", x);
      report_ += std::string(value) + " width " + std::to_string(width) + " decimals " +
                 std::to_string(decimals) + ": \"" + std::string(ours, std::min<std::size_t>(length, 80)) +
                 "\" instead of \"" + reference.substr(0, 80) + "\"\n";
    }
  }

  /// x and its neighbours `ulps` steps away on both sides, of both signs.
  void check_around(long double x, int ulps, int width, int decimals) {
    long double below = x;
    long double above = x;
    for (int step = 0; step <= ulps; ++step) {
      for (const long double v : {below, above}) {
        check(v, width, decimals);
        check(-v, width, decimals);
      }
      below = std::nextafterl(below, -INFINITY);
      above = std::nextafterl(above, INFINITY);
    }
  }

  void expect_all_same(std::size_t at_least) const {
    EXPECT_GE(compared_, at_least);
    EXPECT_EQ(mismatches_, 0U) << "out of " << compared_ << ":\n" << report_;
  }

 private:
  std::size_t compared_ = 0;
  std::size_t mismatches_ = 0;
  std::string report_;
};

/// Random sign, binary exponent in [lowest, highest] and full 64-bit significand.
class RandomExtended {
 public:
  RandomExtended(int lowest, int highest, std::uint64_t seed) : exponents_(lowest, highest), bits_(seed) {}

  long double operator()() {
    const auto exponent = static_cast<std::uint16_t>(16383 + exponents_(bits_));
    const auto sign = static_cast<std::uint16_t>(bits_() & 0x8000U);
    return from_bits(bits_() | (std::uint64_t{1} << 63), static_cast<std::uint16_t>(sign | exponent));
  }

  int width() { return static_cast<int>(bits_() % 12); }

 private:
  std::uniform_int_distribution<int> exponents_;
  std::mt19937_64 bits_;
};

class PrintedRange : public ::testing::TestWithParam<int> {};

// |x| from 1e-12 to 1e12, as unrounded extended expressions and as stored doubles.
TEST_P(PrintedRange, RandomValuesMatchPrintf) {
  const int decimals = GetParam();
  RandomExtended random(-40, 39, 1000 + static_cast<std::uint64_t>(decimals));
  Comparison comparison;
  for (int i = 0; i < RANDOM_VALUES_PER_DECIMALS; ++i) {
    const long double x = random();
    comparison.check(i % 4 == 0 ? static_cast<long double>(static_cast<double>(x)) : x, random.width(),
                     decimals);
  }
  comparison.expect_all_same(RANDOM_VALUES_PER_DECIMALS);
}
INSTANTIATE_TEST_SUITE_P(Decimals, PrintedRange, ::testing::Range(0, 5));

// Every exponent of the integer path, from the smallest normals to 2^64, at every fast decimals.
TEST(DecimalFormat, WholeIntegerPathMatchesPrintf) {
  RandomExtended random(-140, 63, 7);
  Comparison comparison;
  for (int i = 0; i < 400'000; ++i) {
    comparison.check(random(), random.width(), i % (MAX_FAST_DECIMALS + 1));
  }
  comparison.expect_all_same(400'000);
}

// A tie at d decimals is an odd multiple of 2^-(d+1): 2.5 at 0, 0.125 at 2.
TEST(DecimalFormat, TiesGoToEvenAndTheirNeighboursAway) {
  Comparison comparison;
  std::mt19937_64 bits(11);
  for (int decimals = 0; decimals <= MAX_FAST_DECIMALS; ++decimals) {
    comparison.check_around(2.5L, 2, 0, decimals);
    comparison.check_around(0.125L, 2, 0, decimals);
    for (int i = 0; i < 3000; ++i) {
      const std::uint64_t odd = (bits() >> (bits() % 64)) | 1U;
      comparison.check_around(std::ldexp(static_cast<long double>(odd), -(decimals + 1)), 1, 6, decimals);
    }
  }
  comparison.expect_all_same(19 * 3000 * 8);
}

// Rounding up that lengthens the whole part: 9.99995 at 4 decimals, 99.95 at 1, 0.9999999 at 6.
TEST(DecimalFormat, CarriesIntoANewDigit) {
  Comparison comparison;
  for (const long double x : {9.99995L, 99.95L, 0.9999999L, 999999.5L, 0.5L, 9.5L}) {
    for (int decimals = 0; decimals <= MAX_FAST_DECIMALS; ++decimals) comparison.check_around(x, 3, 7, decimals);
  }
  for (int digits = 0; digits <= 18; ++digits) {
    for (int decimals = 0; decimals <= 9; ++decimals) {
      const long double edge = std::pow(10.0L, digits) - 0.5L * std::pow(10.0L, -decimals);
      comparison.check_around(edge, 3, 4, decimals);
    }
  }
  comparison.expect_all_same(19 * 10 * 16);
}

TEST(DecimalFormat, SignedZerosTinyValuesAndSubnormals) {
  Comparison comparison;
  const long double tiny[] = {0.0L,     1e-5L, 4.9999e-5L, 5e-5L, 0.4L, 0.5L, 5e-19L,
                              LDBL_MIN, LDBL_TRUE_MIN, from_bits(0x0000'0001'2345'6789U, 0),
                              from_bits(0x7fff'ffff'ffff'ffffU, 0)};
  for (const long double x : tiny) {
    for (int decimals = 0; decimals <= MAX_FAST_DECIMALS; ++decimals) comparison.check_around(x, 2, 6, decimals);
  }
  comparison.expect_all_same(11 * 19 * 12);
}

TEST(DecimalFormat, IntegersNearTwoToThe63And64) {
  Comparison comparison;
  for (const int power : {62, 63, 64}) {
    for (int decimals = 0; decimals <= 4; ++decimals) {
      comparison.check_around(std::ldexp(1.0L, power), 50, 0, decimals);
    }
  }
  comparison.expect_all_same(3 * 5 * 204);
}

// What the integer path leaves to snprintf, and the rounding modes other than to-nearest.
TEST(DecimalFormat, ValuesLeftToPrintfMatchIt) {
  Comparison comparison;
  const long double special[] = {
      std::numeric_limits<long double>::quiet_NaN(), -std::numeric_limits<long double>::quiet_NaN(),
      std::numeric_limits<long double>::signaling_NaN(), INFINITY, 1e300L, LDBL_MAX, 1.5e19L,
      from_bits(0x4000'0000'0000'0000U, 0x3fff),  // unnormal
      from_bits(0x8000'0000'0000'0001U, 0),       // pseudo-denormal
      from_bits(0, 0x7fff)};                      // pseudo-infinity
  for (const long double x : special) {
    for (const int decimals : {-1, 0, 2, 4, 19, 30}) {
      for (const int width : {-12, 0, 10, 40}) {
        comparison.check(x, width, decimals);
        comparison.check(-x, width, decimals);
      }
    }
  }
  RandomExtended huge(64, 16383, 3);
  for (int i = 0; i < 500; ++i) comparison.check(huge(), huge.width(), i % 5);

  RandomExtended printed(-40, 39, 5);
  for (const int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    for (int i = 0; i < 3000; ++i) comparison.check(printed(), printed.width(), i % 5);
    comparison.check_around(2.5L, 1, 0, 0);
    std::fesetround(FE_TONEAREST);
  }
  comparison.expect_all_same(10 * 6 * 4 * 2 + 500 + 3 * 3004);
}

// A text longer than the room is measured, not written past the room, and a Line refuses it.
TEST(DecimalFormat, TextLongerThanTheRoom) {
  for (const auto& [x, width] : {std::pair{-12.345L, 10}, std::pair{LDBL_MAX, 0}, std::pair{2.5L, -12}}) {
    const std::string reference = printf_text(x, width, 3);
    std::string out(reference.size() + 1, '#');
    EXPECT_EQ(write_fixed(out.data(), reference.size(), x, width, 3), reference.size());
    EXPECT_EQ(out, reference + "#");
    out.assign(reference.size(), '#');
    EXPECT_EQ(write_fixed(out.data(), reference.size() - 1, x, width, 3), reference.size());
    EXPECT_EQ(out.back(), '#');
  }
  Line full;
  full.text(std::string(4090, 'x')).fixed(1.5L, 6, 2);
  EXPECT_EQ(full.view().substr(4090), "  1.50");
  EXPECT_THROW(full.fixed(0.0L, 1, 0), std::length_error);
  EXPECT_THROW(Line{}.fixed(1.0L, 5000, 2), std::length_error);
}

// A Line writes its numbers on its own inline path: field by field as printf
// does, at every width (short and long paddings) and on both sides of the
// integer path's range, while keep() cuts the line back to a shared start.
TEST(DecimalFormat, LineFieldsMatchPrintfAfterASharedStart) {
  RandomExtended random(-70, 70, 13);
  std::mt19937_64 choice(17);
  Line line;
  line.fixed(12.5L, 7, 2);
  const std::string start = printf_text(12.5L, 7, 2);
  std::size_t compared = 0;
  for (int i = 0; i < 100'000; ++i) {
    const long double x = random();
    const int width = static_cast<int>(choice() % 41);
    const int decimals = static_cast<int>(choice() % (MAX_FAST_DECIMALS + 2));
    const std::string expected = start + printf_text(x, width, decimals);
    line.keep(start.size()).fixed(x, width, decimals);
    if (line.view() != expected) {
      ADD_FAILURE() << "\"" << line.view() << "\" instead of \"" << expected << "\"";
      break;
    }
    ++compared;
  }
  EXPECT_EQ(compared, 100'000U);
}

// A Line reads the rounding mode once, at its first number, and writes every
// number of the line as printf does in that mode.
TEST(DecimalFormat, LineFollowsTheRoundingModeOfItsNumbers) {
  for (const int mode : {FE_UPWARD, FE_DOWNWARD, FE_TONEAREST}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    Line line;
    line.fixed(2.345L, 7, 2).fixed(-0.125L, 6, 2).rounded(2.5L, 3);
    const std::string expected = printf_text(2.345L, 7, 2) + printf_text(-0.125L, 6, 2) +
                                 printf_text(std::rint(2.5L) + 0.0L, 3, 0);
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(line.view(), expected) << "rounding mode " << mode;
  }
}

}  // namespace
}  // namespace ascent
