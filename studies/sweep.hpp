// A sweep: many turn times, each trimmed, spread over threads. Each flight
// is its own simulation, so the flights share nothing and the results do
// not depend on how many threads fly them. The rows come out in the order
// of the turn times as soon as they are done, and only a few are held at a
// time: a sweep of a million turn times takes no more memory than one of ten.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "studies/trim_solver.hpp"

namespace ascent::studies {

/// Decimals of the turn times a sweep generates.
inline constexpr int TURN_TIME_DECIMALS = 6;

/// [s] The range of the turn times a sweep or a search of the payload may
/// take, and of a sweep's step.
inline constexpr double SWEEP_FIRST_TURN_TIME = 1.0;
inline constexpr double SWEEP_LAST_TURN_TIME = 1000.0;
inline constexpr double SWEEP_SMALLEST_STEP = 1e-6;

/// Largest number of turn times in a sweep.
inline constexpr double MAX_TURN_TIMES = 1e6;

/// The turn times of a sweep, each made when it is needed.
class TurnTimes {
 public:
  /// from, from + step, ... up to `to` (included when a step lands on it
  /// within a millionth of a step), each as the text that would be typed.
  /// Throws InputError for a step that is not positive, a `to`
  /// before `from`, or more than MAX_TURN_TIMES turn times.
  static TurnTimes between(double from, double to, double step);
  /// These turn times, in this order.
  static TurnTimes listed(std::vector<TypedNumber> times);

  [[nodiscard]] std::size_t size() const { return count_; }
  [[nodiscard]] TypedNumber operator[](std::size_t index) const;

 private:
  double from_ = 0.0;
  double step_ = 0.0;
  std::size_t count_ = 0;
  std::vector<TypedNumber> listed_;
};

/// One row of the trade table: the trim of one turn time without its flights.
struct SweepRow {
  std::size_t index = 0;  ///< of the turn time in the sweep
  TypedNumber turn_time;  ///< [s]
  TrimStatus status = TrimStatus::not_converged;
  std::string message;   ///< why it is not trimmed, or its flight not in orbit ("" in orbit)
  TypedNumber maxa;      ///< [deg] the trimmed angle, or that of the closest flight
  FlightOutcome flight;  ///< the flight at `maxa`
  std::size_t flights = 0;

  [[nodiscard]] bool trimmed() const { return status == TrimStatus::trimmed; }
  /// Trimmed, and its flight in orbit.
  [[nodiscard]] bool feasible() const { return trimmed() && flight.in_orbit(); }
  [[nodiscard]] RowStatus row_status() const { return status_of(status, flight); }
};

/// The row of a trim.
SweepRow sweep_row(const TrimResult& result, std::size_t index = 0);

/// Takes each row, in the order of the turn times, on the thread that called sweep.
using SweepSink = std::function<void(const SweepRow&)>;

/// Trims every turn time on `threads` threads (0: one per core) and hands
/// each row to `sink` once it and every row before it are done. A turn time
/// whose flights cannot be flown (a thrust history that fails there) gets a
/// row that says why, and the sweep goes on. `stop`, asked on the calling
/// thread between rows and at least every STOP_POLL (studies/ordered_pool.hpp),
/// ends the sweep early: the trims under way end at their next flight and the
/// rows not yet handed on are dropped. Returns the number of rows handed on
/// (fewer than the turn times only when stopped). An exception
/// from `sink` ends the sweep and is thrown here once the threads have stopped.
std::size_t sweep(const TrimSettings& settings, const TurnTimes& turn_times, const SweepSink& sink,
                  unsigned threads = 0, const std::function<bool()>& stop = {});

/// The feasible (in_orbit) row with the largest SC_M of those offered (the first of equals).
class LargestPayload {
 public:
  void offer(const SweepRow& row);
  [[nodiscard]] const std::optional<SweepRow>& best() const { return best_; }

 private:
  std::optional<SweepRow> best_;
};

}  // namespace ascent::studies
