// The arithmetic rule of the simulator: every formula is evaluated in the
// 80-bit extended format (long double, 64-bit significand) and every named
// quantity, trial value and increment is rounded to 64 bits when stored.
//
// `Real` makes the rule the default. It stores a double; reading it yields a
// long double, so any expression built from Reals and extended constants runs
// in extended precision, and assigning the result back to a Real rounds it
// once, to nearest. Declare every stored real as `Real` (never `auto`, which
// would keep the unrounded extended value).
#pragma once

#include <bit>
#include <cstdint>

namespace ascent {

/// Extended-precision evaluation type of all formulas.
using Extended = long double;

class Real {
 public:
  constexpr Real() = default;
  /// Rounds an extended value to the stored 64-bit format.
  constexpr Real(Extended x) : stored_(static_cast<double>(x)) {}  // NOLINT: implicit by design

  /// Every read widens exactly to extended precision.
  constexpr operator Extended() const { return stored_; }  // NOLINT: implicit by design

  /// The stored 64-bit value, for output and interfaces that take a double.
  [[nodiscard]] constexpr double value() const { return stored_; }

  constexpr Real& operator+=(Extended x) { return *this = Extended{stored_} + x; }
  constexpr Real& operator-=(Extended x) { return *this = Extended{stored_} - x; }

 private:
  double stored_ = 0.0;
};

/// Whether two stored values are the same bit for bit: +0 and -0 differ,
/// as they can lead to angles of either sign.
constexpr bool same_bits(Real a, Real b) {
  return std::bit_cast<std::uint64_t>(a.value()) == std::bit_cast<std::uint64_t>(b.value());
}

}  // namespace ascent
