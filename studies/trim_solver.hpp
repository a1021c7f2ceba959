// Trim: the maximum angle of attack that brings the average orbit altitude
// of a turn time to the vehicle's target altitude.
//
// The search starts as the program's recommended maxa does: the secant
// through the last two flights of the turn time, the first one through the
// origin. The altitude is not a tidy function of the angle: below some angle
// the upper stage reaches no orbit at all, and above the angle the steering
// ever asks for it stays flat. So each secant step must fall inside the
// bracket that the flights so far have established, and bisection takes
// over when it does not, or when the secant stops halving the miss.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "studies/flight_runner.hpp"
#include "studies/row_status.hpp"

namespace ascent::studies {

struct TrimSettings {
  Vehicle vehicle;             ///< the vehicle flown, and the orbit it aims at
  ThrustHistory thrust;        ///< the boosters' thrust history
  AeroScales aero{};           ///< of the air model; neutral but in dispersed flights
  double tolerance = 10.0;     ///< [m] largest miss accepted
  double start_maxa = 20.0;    ///< [deg] first angle flown
  double largest_maxa = 90.0;  ///< [deg] largest angle tried
  int max_flights = 60;        ///< flights before the search gives up
  /// Called before every flight of a trim, and of the targeting, the search
  /// of the payload and the exchange ratios built on trims: what it throws
  /// (Interrupted after a signal, Python's Ctrl-C) ends the work at once and
  /// goes on to their caller. Called on the thread of the work: a study that
  /// runs trims on worker threads stops them by its own means.
  std::function<void()> interruption{};

  /// [m] The average orbit altitude aimed at: the vehicle's, which its upper
  /// stage's cutoff speed is made for.
  [[nodiscard]] double target_altitude() const { return vehicle.target.altitude; }
};

/// Decimals of a trimmed angle: the angle flown is exactly the one reported.
inline constexpr int MAXA_DECIMALS = 6;

/// One flight of a search.
struct TrimFlight {
  TypedNumber maxa;  ///< [deg]
  FlightOutcome outcome;
};

enum class TrimStatus {
  trimmed,             ///< the average altitude is within the tolerance
  turn_time_rejected,  ///< the run is abandoned before the angle applies
  out_of_reach,        ///< no angle from 0 to the largest reaches the target
  not_converged,       ///< the altitude jumps across the target, or flights ran out
  cannot_be_flown,     ///< a flight failed: the thrust history cannot be flown (sweeps only)
};

struct TrimResult {
  TypedNumber turn_time;  ///< [s]
  TrimStatus status = TrimStatus::not_converged;
  std::string message;              ///< why it is not trimmed, or its flight not in orbit ("" in orbit)
  TypedNumber maxa;                 ///< [deg] the trimmed angle, or that of the closest flight
  FlightOutcome flight;             ///< the flight at `maxa` (not in orbit when none was)
  std::vector<TrimFlight> flights;  ///< every flight of the search, in order

  [[nodiscard]] bool trimmed() const { return status == TrimStatus::trimmed; }
  /// Trimmed, and its flight in orbit.
  [[nodiscard]] bool feasible() const { return trimmed() && flight.in_orbit(); }
};

/// The status of a trim's row: its flight's outcome when trimmed (a turn
/// time rejected is turn_too_long), else why it has no flight to report.
[[nodiscard]] RowStatus status_of(TrimStatus status, const FlightOutcome& flight);

/// Called after each flight of a search.
using TrimProgress = std::function<void(const TrimFlight&)>;

/// Throws InputError for a vehicle whose upper stage is guided to its target
/// orbit: it reaches the orbit from any core angle near the right one, so
/// there is no angle to trim (the guided stage's plan is flown by `target`
/// and found by `optimize`).
void check_trimmable(const Vehicle& vehicle);

/// Searches the angle for `turn_time`. Throws FlightError when the thrust
/// history cannot be flown, InputError for a tolerance that is no finite
/// number above 0, and as check_trimmable.
TrimResult trim_turn_time(const TrimSettings& settings, const TypedNumber& turn_time,
                          const TrimProgress& progress = {});

}  // namespace ascent::studies
