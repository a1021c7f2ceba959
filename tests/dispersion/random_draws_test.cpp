// The random draws: the hash, the logarithm and the normal quantile against
// references, and the statistics of many draws.
#include "studies/random_draws.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace ascent::studies {
namespace {

TEST(RandomDraws, Mix64IsTheSplitMix64Finalizer) {
  // SplitMix64 seeded with 0: its first two outputs.
  EXPECT_EQ(mix64(0x9e3779b97f4a7c15ULL), 0xe220a8397b1dcdafULL);
  EXPECT_EQ(mix64(0x9e3779b97f4a7c15ULL * 2), 0x6e789e6aa1b965f4ULL);
}

TEST(RandomDraws, PortableLogMatchesTheLibraryToAFewUlp) {
  for (double x = 1e-300; x < 1e300; x *= 1.37) {
    const double expected = std::log(x);
    EXPECT_NEAR(portable_log(x), expected, 4e-16 * std::fabs(expected) + 1e-300) << x;
  }
  for (double x = 0.5; x < 2.0; x += 0.001) {
    EXPECT_NEAR(portable_log(x), std::log(x), 2.5e-16 * std::fabs(std::log(x)) + 1e-17) << x;
  }
  EXPECT_EQ(portable_log(1.0), 0.0);
  EXPECT_TRUE(std::isnan(portable_log(0.0)));
  EXPECT_TRUE(std::isnan(portable_log(-1.0)));
}

TEST(RandomDraws, NormalQuantileInvertsTheDistributionFunction) {
  const auto phi = [](double z) { return 0.5 * std::erfc(-z / std::sqrt(2.0)); };
  // The centre, the near tail and the far tail (beyond p = exp(-25)) of AS 241.
  for (const double p : {1e-300, 1e-20, 1e-12, 1e-6, 0.00135, 0.02, 0.074, 0.076, 0.3, 0.5, 0.7,
                         0.924, 0.926, 0.99865, 1.0 - 1e-9}) {
    const double z = normal_quantile(p);
    const double tail = std::min(p, 1.0 - p);
    EXPECT_NEAR(std::min(phi(z), 1.0 - phi(z)), tail, 1e-13 * tail) << p;
  }
  EXPECT_NEAR(normal_quantile(0.975), 1.959963984540054, 1e-15);
  EXPECT_NEAR(normal_quantile(0.0013498980316301), -3.0, 1e-13);
  EXPECT_EQ(normal_quantile(0.5), 0.0);
  EXPECT_EQ(normal_quantile(0.25), -normal_quantile(0.75));
  EXPECT_EQ(normal_quantile(0.0), -INFINITY);
  EXPECT_EQ(normal_quantile(1.0), INFINITY);
  EXPECT_TRUE(std::isnan(normal_quantile(1.5)));
}

TEST(RandomDraws, EachCaseAndNameHasItsOwnReproducibleDraw) {
  EXPECT_EQ(CaseRandom(1, 7).uniform("core.thrust"), CaseRandom(1, 7).uniform("core.thrust"));
  const double u = CaseRandom(1, 7).uniform("core.thrust");
  EXPECT_NE(u, CaseRandom(2, 7).uniform("core.thrust"));
  EXPECT_NE(u, CaseRandom(1, 8).uniform("core.thrust"));
  EXPECT_NE(u, CaseRandom(1, 7).uniform("core.thrusts"));
  EXPECT_EQ(CaseRandom(1, 7).normal("core.thrust"), normal_quantile(u));
}

TEST(RandomDraws, TheDrawsAreTheSameBitForBitOnEveryMachine) {
  // A study is reproducible from its seed alone: these are its first draws.
  EXPECT_EQ(CaseRandom(1, 0).uniform("core.thrust"), 0x1.10a6429eee94cp-4);
  EXPECT_EQ(CaseRandom(1, 0).normal("core.thrust"), -0x1.807ad2dbcfe72p+0);
  EXPECT_EQ(CaseRandom(42, 999).uniform("boosters.propellant"), 0x1.2575d1015af6ep-1);
  EXPECT_EQ(CaseRandom(42, 999).normal("scales.drag"), 0x1.3026eca3e22f7p-2);
}

TEST(RandomDraws, TheExtremeBitsDrawStrictlyInsideZeroAndOne) {
  // The top 53 bits all ones centred in their step rounded to exactly 1,
  // whose normal quantile is infinite.
  EXPECT_EQ(centred_uniform(~std::uint64_t{0}), 1.0 - 0x1p-53);
  EXPECT_EQ(centred_uniform(0), 0x1p-54);
  EXPECT_EQ(centred_uniform(std::uint64_t{1} << 11), 1.5 * 0x1p-53);  // centred in its step
  EXPECT_TRUE(std::isfinite(normal_quantile(centred_uniform(~std::uint64_t{0}))));
  EXPECT_TRUE(std::isfinite(normal_quantile(centred_uniform(0))));
}

TEST(RandomDraws, ManyDrawsHaveTheRequestedMomentsAndTails) {
  constexpr int N = 200000;
  double sum_u = 0.0, sum_uu = 0.0, sum_z = 0.0, sum_zz = 0.0, sum_zw = 0.0;
  int below_minus_3 = 0;
  for (int k = 0; k < N; ++k) {
    const CaseRandom random(42, static_cast<std::uint64_t>(k));
    const double u = random.uniform("a");
    const double z = random.normal("b");
    const double w = random.normal("c");
    ASSERT_TRUE(u > 0.0 && u < 1.0);
    sum_u += u;
    sum_uu += u * u;
    sum_z += z;
    sum_zz += z * z;
    sum_zw += z * w;
    if (z < -3.0) ++below_minus_3;
  }
  // Tolerances of about five standard errors.
  const double n = N;
  EXPECT_NEAR(sum_u / n, 0.5, 5.0 * std::sqrt(1.0 / 12.0 / n));
  EXPECT_NEAR(sum_uu / n - (sum_u / n) * (sum_u / n), 1.0 / 12.0, 5.0 * 0.0745 / std::sqrt(n));
  EXPECT_NEAR(sum_z / n, 0.0, 5.0 / std::sqrt(n));
  EXPECT_NEAR(std::sqrt(sum_zz / n), 1.0, 5.0 / std::sqrt(2.0 * n));
  EXPECT_NEAR(sum_zw / n, 0.0, 5.0 / std::sqrt(n));  // names draw independently
  const double expected = 0.0013498980316301 * n;
  EXPECT_NEAR(below_minus_3, expected, 5.0 * std::sqrt(expected));
}

}  // namespace
}  // namespace ascent::studies
