// The extended-precision elementary functions within their error bound of
// the exact value (a 113-bit reference) and never more than 1 ulp from the C
// library, over the ranges a flight uses and at the edges of the own
// evaluation; identical to the C library where it takes over, and exact where
// the true value is known.
#include "base/extended_math.hpp"

#include <gtest/gtest.h>
#include <quadmath.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iomanip>
#include <iostream>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace ascent {
namespace {

using Function = std::function<Extended(Extended)>;

// Arguments per range: against the C library, and against the 113-bit
// reference (libquadmath, about a microsecond a call). Instrumented code is slow.
#if defined(__SANITIZE_ADDRESS__)
constexpr int RANDOM_ARGUMENTS = 100'000;
constexpr int REFERENCE_ARGUMENTS = 20'000;
#else
constexpr int RANDOM_ARGUMENTS = 1'250'000;  // 9 ranges, 11 million arguments
constexpr int REFERENCE_ARGUMENTS = 300'000;  // 9 ranges, 2.7 million arguments
#endif

/// Steps of one ulp from a to b, counted up to 2 ("2" means 2 or more).
int ulps_apart(Extended a, Extended b) {
  if (a == b || (std::isnan(a) && std::isnan(b))) return 0;
  if (std::nextafter(a, b) == b) return 1;
  return 2;
}

/// How often ours differs from the C library, by one ulp and by more.
struct Agreement {
  long one_ulp = 0;
  long more = 0;
  Extended worst_argument = 0.0L;
};

Agreement compare(const Function& ours, const Function& library, const std::vector<Extended>& xs) {
  Agreement a;
  for (const Extended x : xs) {
    const int apart = ulps_apart(ours(x), library(x));
    if (apart == 1) ++a.one_ulp;
    if (apart > 1 && a.more++ == 0) a.worst_argument = x;
  }
  return a;
}

void expect_within_one_ulp(const char* name, const Function& ours, const Function& library,
                           const std::vector<Extended>& xs) {
  const Agreement a = compare(ours, library, xs);
  std::cout << "  " << name << ": " << xs.size() << " arguments, " << a.one_ulp
            << " one ulp apart, " << a.more << " more\n";
  EXPECT_EQ(a.more, 0) << name << ", for example at " << static_cast<double>(a.worst_argument);
}

/// Arguments uniform in [low, high], or with a uniform logarithm of the magnitude.
std::vector<Extended> uniform(Extended low, Extended high, unsigned seed,
                              int count = RANDOM_ARGUMENTS) {
  std::mt19937_64 engine(seed);
  std::uniform_real_distribution<Extended> draw(low, high);
  std::vector<Extended> xs(static_cast<std::size_t>(count));
  for (Extended& x : xs) x = draw(engine);
  return xs;
}

std::vector<Extended> log_uniform(Extended smallest, Extended largest, bool both_signs,
                                  unsigned seed, int count = RANDOM_ARGUMENTS) {
  std::vector<Extended> xs = uniform(std::log(smallest), std::log(largest), seed, count);
  std::mt19937_64 signs(seed + 1);
  for (Extended& x : xs) x = both_signs && (signs() & 1) ? -std::exp(x) : std::exp(x);
  return xs;
}

/// Each point and its neighbours up to `steps` ulps either side.
std::vector<Extended> with_neighbours(std::initializer_list<Extended> points, int steps = 3) {
  std::vector<Extended> xs;
  for (const Extended p : points) {
    Extended below = p;
    Extended above = p;
    xs.push_back(p);
    for (int i = 0; i < steps; ++i) {
      below = std::nextafter(below, -std::numeric_limits<Extended>::infinity());
      above = std::nextafter(above, std::numeric_limits<Extended>::infinity());
      xs.push_back(below);
      xs.push_back(above);
    }
  }
  return xs;
}

/// libquadmath's 113-bit float (a GNU extension, named so that -Wpedantic allows it).
__extension__ typedef __float128 Quad;
using Reference = Quad (*)(Quad);

/// The largest error over `xs` in ulps of the exact value, taken from the
/// 113-bit reference, and the argument where it occurs.
struct Accuracy {
  double largest = 0.0;
  Extended worst_argument = 0.0L;
};

Accuracy accuracy(const Function& ours, Reference exact, const std::vector<Extended>& xs) {
  Accuracy a;
  for (const Extended x : xs) {
    const Quad value = exact(static_cast<Quad>(x));
    if (value == 0) continue;
    // An ulp of a long double (64 significant bits) at the exact value.
    const Quad ulp = ldexpq(1, ilogbq(value) - 63);
    const auto error = static_cast<double>(fabsq(static_cast<Quad>(ours(x)) - value) / ulp);
    if (error > a.largest) a = {error, x};
  }
  return a;
}

/// The bound extended_math.hpp promises.
constexpr double LARGEST_ERROR_ULPS = 0.54;

void expect_within_the_bound(const char* name, const Function& ours, Reference exact,
                             const std::vector<Extended>& xs) {
  const Accuracy a = accuracy(ours, exact, xs);
  std::cout << "  " << name << ": " << xs.size() << " arguments, at most " << a.largest
            << " ulp from the exact value\n";
  EXPECT_LE(a.largest, LARGEST_ERROR_ULPS)
      << name << " at " << std::setprecision(21) << a.worst_argument;
}

const Function OUR_SIN = [](Extended x) { return sine_cosine(x).sin; };
const Function OUR_COS = [](Extended x) { return sine_cosine(x).cos; };
const Function LIBRARY_SIN = [](Extended x) { return std::sin(x); };
const Function LIBRARY_COS = [](Extended x) { return std::cos(x); };
const Function LIBRARY_EXP = [](Extended x) { return std::exp(x); };
const Function LIBRARY_LOG = [](Extended x) { return std::log(x); };
const Function LIBRARY_ATAN = [](Extended x) { return std::atan(x); };

constexpr Extended INF = std::numeric_limits<Extended>::infinity();
constexpr Extended NOT_A_NUMBER = std::numeric_limits<Extended>::quiet_NaN();
constexpr Extended PI_X = std::numbers::pi_v<Extended>;

/// Multiples of pi/4 (quadrant and table-interval ends, near-zero results)
/// with their neighbours, and the tiny and the largest own arguments.
std::vector<Extended> angle_edges() {
  std::vector<Extended> edges;
  for (int k = -1300; k <= 1300; ++k) {
    for (const Extended x : with_neighbours({k * PI_X / 4})) edges.push_back(x);
  }
  for (const Extended x : with_neighbours({0x1p-32L, -0x1p-32L, 1e-300L, 1000.0L, -1000.0L,
                                           std::numeric_limits<Extended>::min()})) {
    edges.push_back(x);
  }
  return edges;
}

/// Ends of the table cells (32 to a binade from 2^-7 to 2^7), the tiny and the huge.
std::vector<Extended> arctangent_edges() {
  std::vector<Extended> edges;
  for (int k = 32 * -7; k <= 32 * 7; ++k) {
    const Extended p = std::ldexp(1.0L + (k & 31) / 32.0L, k >> 5);
    for (const Extended x : with_neighbours({p, -p})) edges.push_back(x);
  }
  for (const Extended x :
       with_neighbours({0x1p-32L, 1e300L, -1e4000L, std::numeric_limits<Extended>::max()})) {
    edges.push_back(x);
  }
  return edges;
}

TEST(ExtendedMath, SineAndCosineWithinOneUlpOfTheLibrary) {
  const auto angles = uniform(-8.0L, 8.0L, 1);  // flight angles stay within a few pi
  const auto wide = uniform(-1000.0L, 1000.0L, 2);
  for (const auto* xs : {&angles, &wide}) {
    expect_within_one_ulp("sin", OUR_SIN, LIBRARY_SIN, *xs);
    expect_within_one_ulp("cos", OUR_COS, LIBRARY_COS, *xs);
  }
  EXPECT_EQ(sine(0.75L), sine_cosine(0.75L).sin);
}

TEST(ExtendedMath, SineAndCosineAtTheEdgesOfTheReduction) {
  // The edges of the own evaluation and those the C library takes over.
  std::vector<Extended> edges = angle_edges();
  for (const Extended x : with_neighbours({1e4000L})) edges.push_back(x);
  expect_within_one_ulp("sin", OUR_SIN, LIBRARY_SIN, edges);
  expect_within_one_ulp("cos", OUR_COS, LIBRARY_COS, edges);

  for (const Extended x : {1000.5L, -5000.0L, 1e30L, INF, -INF, NOT_A_NUMBER}) {
    SCOPED_TRACE(static_cast<double>(x));
    EXPECT_EQ(ulps_apart(sine_cosine(x).sin, std::sin(x)), 0);
    EXPECT_EQ(ulps_apart(sine_cosine(x).cos, std::cos(x)), 0);
  }
  const SineCosine at_minus_zero = sine_cosine(-0.0L);
  EXPECT_EQ(at_minus_zero.sin, 0.0L);
  EXPECT_TRUE(std::signbit(at_minus_zero.sin));
  EXPECT_EQ(at_minus_zero.cos, 1.0L);
  EXPECT_FALSE(std::signbit(sine_cosine(0.0L).sin));
}

TEST(ExtendedMath, ExponentialWithinOneUlpOfTheLibrary) {
  // ln of pressures and densities and n ln|vr| of the vertical law, then the whole own range.
  expect_within_one_ulp("exp", exponential, LIBRARY_EXP, uniform(-45.0L, 30.0L, 3));
  expect_within_one_ulp("exp", exponential, LIBRARY_EXP, uniform(-0.02L, 0.02L, 4));
  expect_within_one_ulp("exp", exponential, LIBRARY_EXP, uniform(-650.0L, 650.0L, 5));
  expect_within_one_ulp("exp", exponential, LIBRARY_EXP,
                        with_neighbours({0.0L, 650.0L, -650.0L, 1e-30L, -1e-30L,
                                         std::numbers::ln2_v<Extended> / 1024}));
}

TEST(ExtendedMath, SineAndCosineWithinTheirBoundOfTheExactValue) {
  for (const std::vector<Extended>& xs :
       {uniform(-8.0L, 8.0L, 11, REFERENCE_ARGUMENTS),
        uniform(-1000.0L, 1000.0L, 12, REFERENCE_ARGUMENTS), angle_edges()}) {
    expect_within_the_bound("sin", OUR_SIN, sinq, xs);
    expect_within_the_bound("cos", OUR_COS, cosq, xs);
  }
}

TEST(ExtendedMath, ExponentialWithinItsBoundOfTheExactValue) {
  for (const std::vector<Extended>& xs :
       {uniform(-45.0L, 30.0L, 13, REFERENCE_ARGUMENTS),
        uniform(-650.0L, 650.0L, 14, REFERENCE_ARGUMENTS),
        with_neighbours({0.0L, 650.0L, -650.0L, 1e-30L, -1e-30L,
                         std::numbers::ln2_v<Extended> / 1024})}) {
    expect_within_the_bound("exp", exponential, expq, xs);
  }
}

TEST(ExtendedMath, ExponentialOutsideItsRangeIsTheLibrarys) {
  EXPECT_EQ(exponential(0.0L), 1.0L);
  EXPECT_EQ(exponential(-0.0L), 1.0L);
  for (const Extended x :
       {651.0L, 11357.0L, -651.0L, -11400.0L, -20000.0L, INF, -INF, NOT_A_NUMBER}) {
    SCOPED_TRACE(static_cast<double>(x));
    EXPECT_EQ(ulps_apart(exponential(x), std::exp(x)), 0);
  }
}

TEST(ExtendedMath, LogarithmWithinItsBoundOfTheExactValue) {
  for (const std::vector<Extended>& xs :
       {log_uniform(1e-12L, 1e12L, false, 16, REFERENCE_ARGUMENTS),
        uniform(0.5L, 2.0L, 17, REFERENCE_ARGUMENTS),
        with_neighbours({1.0L + 1.0L / 256, 1.0L - 1.0L / 512, 0x1p-1000L, 0x1p1000L,
                         0.70710678118654752440L, 1.41421356237309504880L})}) {
    expect_within_the_bound("log", logarithm, logq, xs);
  }
}

TEST(ExtendedMath, LogarithmWithinOneUlpOfTheLibrary) {
  // |vr| of the vertical law, and the temperature ratios of the layered atmosphere near 1.
  expect_within_one_ulp("log", logarithm, LIBRARY_LOG, log_uniform(1e-12L, 1e12L, false, 6));
  expect_within_one_ulp("log", logarithm, LIBRARY_LOG, uniform(0.5L, 2.0L, 7));
  expect_within_one_ulp("log", logarithm, LIBRARY_LOG,
                        with_neighbours({1.0L, 2.0L, 0.5L, 1.0L + 1.0L / 256, 1.0L - 1.0L / 512,
                                         0x1p-1000L, 0x1p1000L, 1e-4000L, 1e4000L}));
  EXPECT_EQ(logarithm(1.0L), 0.0L);
  EXPECT_FALSE(std::signbit(logarithm(1.0L)));
  for (const Extended x :
       {0.0L, -0.0L, -1.0L, std::numeric_limits<Extended>::denorm_min(), INF, NOT_A_NUMBER}) {
    SCOPED_TRACE(static_cast<double>(x));
    EXPECT_EQ(ulps_apart(logarithm(x), std::log(x)), 0);
  }
}

TEST(ExtendedMath, ArctangentWithinOneUlpOfTheLibrary) {
  // Ratios vr/vt of a flight: from nearly level to nearly vertical, both signs.
  expect_within_one_ulp("atan", arctangent, LIBRARY_ATAN, uniform(-4.0L, 4.0L, 8));
  expect_within_one_ulp("atan", arctangent, LIBRARY_ATAN, log_uniform(1e-12L, 1e12L, true, 9));
  expect_within_one_ulp("atan", arctangent, LIBRARY_ATAN, arctangent_edges());
  for (const Extended x : {-0.0L, 0.0L, INF, -INF, NOT_A_NUMBER}) {
    SCOPED_TRACE(static_cast<double>(x));
    EXPECT_EQ(ulps_apart(arctangent(x), std::atan(x)), 0);
    EXPECT_EQ(std::signbit(arctangent(x)), std::signbit(std::atan(x)));
  }
}

TEST(ExtendedMath, ArctangentWithinItsBoundOfTheExactValue) {
  for (const std::vector<Extended>& xs :
       {uniform(-4.0L, 4.0L, 18, REFERENCE_ARGUMENTS),
        log_uniform(1e-12L, 1e12L, true, 19, REFERENCE_ARGUMENTS), arctangent_edges()}) {
    expect_within_the_bound("atan", arctangent, atanq, xs);
  }
}

TEST(ExtendedMath, ExactWhereTheRoundedTrueValueIsKnown) {
  EXPECT_EQ(exponential(1.0L), std::numbers::e_v<Extended>);
  EXPECT_EQ(logarithm(2.0L), std::numbers::ln2_v<Extended>);
  EXPECT_EQ(logarithm(10.0L), std::numbers::ln10_v<Extended>);
  EXPECT_EQ(logarithm(std::numbers::e_v<Extended>), 1.0L);
  EXPECT_EQ(arctangent(1.0L), PI_X / 4);
  EXPECT_EQ(arctangent(-1.0L), -PI_X / 4);
}

}  // namespace
}  // namespace ascent
