// Orbit targeting: one flight of the guided upper stage for a turn time, to
// the orbit asked for. The core stage flies as the trim would fly it: at the
// angle given, or at the angle the trim finds for the turn time.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "studies/trim_solver.hpp"

namespace ascent::studies {

struct TargetRequest {
  TrimSettings settings;           ///< the vehicle, its thrust history, the trim's limits
  TypedNumber turn_time;           ///< [s]
  std::optional<TypedNumber> maxa;  ///< [deg] of the core stage; the trimmed angle when absent
  std::optional<double> perigee;   ///< [m] instead of the vehicle's target, with apogee
  std::optional<double> apogee;    ///< [m]
};

struct TargetResult {
  TypedNumber turn_time;     ///< [s]
  TypedNumber maxa;          ///< [deg] the core stage's angle flown
  bool maxa_trimmed = false;  ///< the angle came from the trim
  double target_perigee = 0.0;  ///< [m] the orbit aimed at
  double target_apogee = 0.0;   ///< [m]
  /// The guided flight's outcome, or why the core stage's angle has none
  /// (out_of_reach, not_converged, ...): only in_orbit is feasible.
  RowStatus status = RowStatus::not_converged;
  std::string reason;  ///< why the flight is not in orbit ("" when it is)
  FlightResult flight;  ///< the guided flight (empty when not flown)
  bool flown = false;   ///< the guided flight was flown: the core stage's angle was had
  int flights = 0;      ///< flights flown: the trim's and the guided one

  /// The guided stage reached the orbit aimed at (in_orbit, or having
  /// burned more than it holds): the flight has an orbit to show.
  [[nodiscard]] bool reached_orbit() const { return flown && flight.separated(); }
};

/// The vehicle of `settings` with its upper stage guided to the request's
/// target: its perigee and apogee [m], whose mean becomes the target's
/// average altitude, or the vehicle's own target.
[[nodiscard]] Vehicle guided_vehicle(const Vehicle& vehicle, std::optional<double> perigee,
                                     std::optional<double> apogee);

/// The vehicle's upper stage is guided to its target orbit: it reaches the
/// orbit from any core angle near the right one, so no angle is trimmed.
[[nodiscard]] bool guided(const Vehicle& vehicle);

/// The core stage's angle for a guided upper stage when the plan gives
/// none: the trim of `turn_time` under the default law, its average altitude
/// aimed at the guided stage's insertion altitude (the target's perigee).
/// The angle depends on the orbit aimed at alone, never on the deck's
/// target.altitude; the best angle (`optimize`) lies within a few degrees.
[[nodiscard]] TrimResult default_law_trim(const TrimSettings& settings,
                                          const TypedNumber& turn_time);

/// Flies the guided stage for the request. Throws InputError for
/// a target that cannot be flown (perigee above apogee, or out of range),
/// and the library's RuntimeError when the thrust history cannot be flown.
TargetResult fly_to_target(const TargetRequest& request);

}  // namespace ascent::studies
