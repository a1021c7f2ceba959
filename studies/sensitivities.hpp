// Exchange ratios: what one more unit of a vehicle field costs or gains in
// payload, d(SC_M)/d(field) at a turn time, from central differences of
// flights re-trimmed to the target (each keeps the target average altitude,
// as an engineer's re-sized vehicle would).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mission/vehicle_fields.hpp"
#include "studies/trim_solver.hpp"

namespace ascent::studies {

/// [m] The trims of the differences aim this close: the unrounded SC_M then
/// moves with the field, not with where in the trim's tolerance a flight lands.
inline constexpr double SENSITIVITY_TOLERANCE = 0.1;
/// The step of a field: this share of its value (of 1 in its unit when it is 0).
inline constexpr double SENSITIVITY_STEP = 1e-3;

struct ExchangeRatio {
  const VehicleField* field = nullptr;
  double value = 0.0;  ///< the field's value, in its unit
  double step = 0.0;   ///< of the difference, in the field's unit
  bool central = true;  ///< false: a one-sided difference at an end of the field's range
  /// [kg per the field's unit] d(SC_M)/d(field); NaN when a trim failed
  double ratio = 0.0;
  std::string message;  ///< why there is no ratio ("" when there is)

  /// [kg] The change of SC_M for 1 % more of the field.
  [[nodiscard]] double per_percent() const { return ratio * value / 100.0; }
};

/// Why the ratio of `field` (a deck name, "boosters.propellant") reads
/// against an engineer's expectation, or "" when it does not. The thrust
/// file fixes the booster's burn in time: more booster propellant is carried
/// unburnt, and a faster exhaust only lowers the mass flow and leaves more
/// unburnt, so both cost payload, where a booster whose burn follows its
/// propellant would gain it.
[[nodiscard]] std::string_view ratio_caveat(std::string_view field);

/// The exchange ratio of every numeric field of the vehicle deck (counts and
/// load limits left out), the largest effect of 1 % more first: the ratios
/// themselves are in mixed units (kg per N, kg per kg) and rank nothing.
/// Throws the library's RuntimeError when the thrust history cannot be
/// flown; std::runtime_error when the nominal flight cannot be trimmed.
[[nodiscard]] std::vector<ExchangeRatio> exchange_ratios(const TrimSettings& settings,
                                                         const TypedNumber& turn_time);

/// The ratio of one field, by the same differences.
[[nodiscard]] ExchangeRatio exchange_ratio(const TrimSettings& settings,
                                           const TypedNumber& turn_time, const VehicleField& field);

}  // namespace ascent::studies
