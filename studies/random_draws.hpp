// The random numbers of a dispersion study, the same on every machine.
//
// Case k of a study with seed s draws each dispersed quantity from a hash of
// (s, k, the quantity's name) alone: no generator state is shared between
// cases or between quantities, so a case's draws do not depend on the order,
// the thread or the machine that flies it, nor on what else the set holds.
// The hash is the SplitMix64 finalizer; the normal deviate is the inverse of
// the normal distribution function (Wichura's algorithm AS 241) with a
// logarithm of our own, so that no library's algorithm enters the draws.
//
// The arithmetic is double, not long double: the width of long double differs
// between processors, and these numbers must not.
#pragma once

#include <cstdint>
#include <string_view>

namespace ascent::studies {

/// The draws of one case of a study.
class CaseRandom {
 public:
  CaseRandom(std::uint64_t seed, std::uint64_t k);

  /// Uniform in the open interval (0, 1), in steps of 2^-53: the draw of
  /// the quantity named `name` in this case.
  [[nodiscard]] double uniform(std::string_view name) const;
  /// Standard normal: the quantile of uniform(name).
  [[nodiscard]] double normal(std::string_view name) const;

 private:
  std::uint64_t key_;
};

/// A draw in the open interval (0, 1) from 64 random bits: the top 53
/// bits centred in their step of 2^-53, the topmost held below 1.
[[nodiscard]] double centred_uniform(std::uint64_t bits);

/// The SplitMix64 finalizer: a bijection of 64-bit words in which every
/// input bit changes each output bit with probability near 1/2.
[[nodiscard]] std::uint64_t mix64(std::uint64_t z);

/// The natural logarithm of x > 0 in basic IEEE operations only (within a
/// few units in the last place); NaN for x <= 0 or NaN, x for +inf.
[[nodiscard]] double portable_log(double x);

/// The standard normal quantile: z with Phi(z) = p, for 0 < p < 1 (relative
/// error near 1e-16); -inf at 0, +inf at 1, NaN outside.
[[nodiscard]] double normal_quantile(double p);

}  // namespace ascent::studies
