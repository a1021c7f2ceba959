// The loads of a flight against the vehicle's structural limits.
#pragma once

#include <optional>

#include "mission/flight_result.hpp"
#include "mission/vehicle.hpp"

namespace ascent {

enum class LoadKind {
  dynamic_pressure,    ///< [Pa]
  q_alpha,             ///< [Pa*deg]
  axial_acceleration,  ///< [m/s^2]
};

/// A load over its limit: the flight's maximum, the limit, and when.
struct LoadBreach {
  LoadKind kind = LoadKind::dynamic_pressure;
  double maximum = 0.0;
  double limit = 0.0;
  double time = 0.0;  ///< [s] of the maximum

  [[nodiscard]] double excess() const { return maximum - limit; }
};

/// The flight's maximum of `kind`, and its time.
[[nodiscard]] double load_maximum(const LoadMaxima& loads, LoadKind kind);
[[nodiscard]] double load_maximum_time(const LoadMaxima& loads, LoadKind kind);
/// The limit of `kind` (0: none).
[[nodiscard]] double load_limit(const LoadLimits& limits, LoadKind kind);

/// The limit the loads exceed by the largest share of it, or nullopt when
/// they keep within every limit that is set.
[[nodiscard]] std::optional<LoadBreach> load_breach(const LoadMaxima& loads,
                                                    const LoadLimits& limits);

/// Each limit the stricter of the two: a limit set in one and not the other is kept.
[[nodiscard]] LoadLimits stricter(const LoadLimits& a, const LoadLimits& b);

}  // namespace ascent
