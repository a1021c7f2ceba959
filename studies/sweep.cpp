#include "studies/sweep.hpp"

#include <cmath>
#include <exception>
#include <stdexcept>

#include "studies/ordered_pool.hpp"

namespace ascent::studies {

namespace {

/// Thrown from a trim's progress when the sweep stops: the row is dropped.
struct SweepStopped {};

/// The row of one turn time; a flight that cannot be flown ends only its row.
SweepRow trim_row(const TrimSettings& settings, const TypedNumber& turn_time, std::size_t index,
                  const std::stop_token& stopping) {
  try {
    return sweep_row(trim_turn_time(settings, turn_time,
                                    [&](const TrimFlight&) {
                                      if (stopping.stop_requested()) throw SweepStopped{};
                                    }),
                     index);
  } catch (const std::exception& failure) {
    SweepRow row;
    row.index = index;
    row.turn_time = turn_time;
    row.status = TrimStatus::cannot_be_flown;
    row.message = failure.what();
    return row;
  }
}

}  // namespace

TurnTimes TurnTimes::between(double from, double to, double step) {
  if (!(step > 0.0) || !std::isfinite(from) || !std::isfinite(to) || !std::isfinite(step)) {
    throw InputError(ErrorCode::range_check, "the turn-time step must be a positive number");
  }
  if (to < from) throw InputError(ErrorCode::range_check, "the last turn time comes before the first");
  const double count = std::floor((to - from) / step + 1e-6) + 1.0;
  if (count > MAX_TURN_TIMES) throw InputError(ErrorCode::range_check, "more than a million turn times");
  TurnTimes times;
  times.from_ = from;
  times.step_ = step;
  times.count_ = static_cast<std::size_t>(count);
  return times;
}

TurnTimes TurnTimes::listed(std::vector<TypedNumber> times) {
  TurnTimes listed;
  listed.count_ = times.size();
  listed.listed_ = std::move(times);
  return listed;
}

TypedNumber TurnTimes::operator[](std::size_t index) const {
  if (!listed_.empty()) return listed_.at(index);
  return typed_number(from_ + static_cast<double>(index) * step_, TURN_TIME_DECIMALS);
}

SweepRow sweep_row(const TrimResult& result, std::size_t index) {
  SweepRow row;
  row.index = index;
  row.turn_time = result.turn_time;
  row.status = result.status;
  row.message = result.message;
  row.maxa = result.maxa;
  row.flight = result.flight;
  row.flights = result.flights.size();
  return row;
}

std::size_t sweep(const TrimSettings& settings, const TurnTimes& turn_times, const SweepSink& sink,
                  unsigned threads, const std::function<bool()>& stop) {
  check_trimmable(settings.vehicle);
  return run_in_order<SweepRow>(
      turn_times.size(), threads,
      [&](std::size_t index, const std::stop_token& stopping) {
        return trim_row(settings, turn_times[index], index, stopping);
      },
      [&](SweepRow& row) { sink(row); }, stop);
}

void LargestPayload::offer(const SweepRow& row) {
  if (!row.feasible()) return;
  if (!best_ || row.flight.SC_M > best_->flight.SC_M) best_ = row;
}

}  // namespace ascent::studies
