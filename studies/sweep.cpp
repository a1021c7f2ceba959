#include "studies/sweep.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "base/interruption.hpp"

namespace ascent::trim {

namespace {

/// Rows a worker may run ahead of the first row not yet handed on, per thread:
/// enough to keep every thread busy past a slow turn time, few enough to hold.
constexpr std::size_t ROWS_AHEAD_PER_THREAD = 4;

/// Thrown from a trim's progress when the sweep stops: the row is dropped.
struct SweepStopped {};

/// The row of one turn time; a flight that cannot be flown ends only its row.
SweepRow trim_row(const TrimSettings& settings, const TypedNumber& turn_time, std::size_t index,
                  const std::function<bool()>& stopped) {
  try {
    return sweep_row(trim_turn_time(settings, turn_time,
                                    [&](const TrimFlight&) {
                                      if (stopped()) throw SweepStopped{};
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

/// The workers of a threaded sweep and the rows they have done; the threads
/// are stopped and joined when it goes, also when the sink has thrown.
class Workers {
 public:
  Workers(const TrimSettings& settings, const TurnTimes& turn_times, unsigned threads)
      : settings_(settings), turn_times_(turn_times), ahead_(ROWS_AHEAD_PER_THREAD * threads) {
    for (unsigned k = 0; k < threads; ++k) {
      try {
        pool_.emplace_back([this] { work(); });
      } catch (const std::system_error&) {
        break;  // no more threads to be had: fewer do the same work
      }
    }
  }
  ~Workers() {
    stop();
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : pool_) thread.join();
  }
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  [[nodiscard]] bool started() const { return !pool_.empty(); }

  /// Ends the trims under way at their next flight.
  void stop() { stop_flights_.store(true); }

  /// The row of turn time `index` once it is done, or nullopt when a little
  /// time passed first (the caller looks whether to stop, and asks again).
  std::optional<SweepRow> take(std::size_t index) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, std::chrono::milliseconds(100),
                           [&] { return done_.count(index) != 0; })) {
      return std::nullopt;
    }
    SweepRow row = std::move(done_.extract(index).mapped());
    handed_ = index + 1;
    changed_.notify_all();
    return row;
  }

 private:
  void work() {
    // Signals go to the thread that writes, where they can break a wait.
    block_interruption_signals_in_this_thread();
    for (;;) {
      std::size_t index = 0;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] {
          return stopping_ || next_ >= turn_times_.size() || next_ < handed_ + ahead_;
        });
        if (stopping_ || next_ >= turn_times_.size()) return;
        index = next_++;
      }
      try {
        SweepRow row =
            trim_row(settings_, turn_times_[index], index, [this] { return stop_flights_.load(); });
        const std::lock_guard lock(mutex_);
        done_.emplace(index, std::move(row));
      } catch (const SweepStopped&) {
        return;
      }
      changed_.notify_all();
    }
  }

  const TrimSettings& settings_;
  const TurnTimes& turn_times_;
  const std::size_t ahead_;
  std::mutex mutex_;  // guards everything below but the pool and stop_flights_
  std::condition_variable changed_;
  std::size_t next_ = 0;    ///< the next turn time to trim
  std::size_t handed_ = 0;  ///< rows handed on so far
  std::map<std::size_t, SweepRow> done_;
  bool stopping_ = false;
  std::atomic<bool> stop_flights_{false};
  std::vector<std::thread> pool_;
};

}  // namespace

TurnTimes TurnTimes::between(double from, double to, double step) {
  if (!(step > 0.0) || !std::isfinite(from) || !std::isfinite(to) || !std::isfinite(step)) {
    throw std::invalid_argument("the turn-time step must be a positive number");
  }
  if (to < from) throw std::invalid_argument("the last turn time comes before the first");
  const double count = std::floor((to - from) / step + 1e-6) + 1.0;
  if (count > MAX_TURN_TIMES) throw std::invalid_argument("more than a million turn times");
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
  const auto stopped = [&] { return stop && stop(); };
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, turn_times.size()));
  std::size_t handed = 0;
  if (threads > 1) {
    Workers workers(settings, turn_times, threads);
    if (workers.started()) {
      while (handed < turn_times.size()) {
        if (stopped()) {
          workers.stop();
          return handed;
        }
        if (std::optional<SweepRow> row = workers.take(handed)) {
          sink(*row);
          ++handed;
        }
      }
      return handed;
    }
  }
  // One thread: this one, which also asks whether to stop between flights.
  try {
    for (; handed < turn_times.size() && !stopped(); ++handed) {
      sink(trim_row(settings, turn_times[handed], handed, stopped));
    }
  } catch (const SweepStopped&) {
  }
  return handed;
}

void LargestPayload::offer(const SweepRow& row) {
  if (!row.feasible()) return;
  if (!best_ || row.flight.SC_M > best_->flight.SC_M) best_ = row;
}

}  // namespace ascent::trim
