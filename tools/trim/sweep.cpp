#include "tools/trim/sweep.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace ascent::trim {

std::vector<TypedNumber> turn_times_between(double from, double to, double step) {
  if (!(step > 0.0) || !std::isfinite(from) || !std::isfinite(to) || !std::isfinite(step)) {
    throw std::invalid_argument("the turn-time step must be a positive number");
  }
  if (to < from) throw std::invalid_argument("the last turn time comes before the first");
  const double span = (to - from) / step;
  if (span > 1e6) throw std::invalid_argument("more than a million turn times");
  const auto count = static_cast<std::size_t>(std::floor(span + 1e-6)) + 1;
  std::vector<TypedNumber> times;
  times.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    times.push_back(typed_number(from + static_cast<double>(i) * step, TURN_TIME_DECIMALS));
  }
  return times;
}

std::vector<TrimResult> sweep(const TrimSettings& settings,
                              const std::vector<TypedNumber>& turn_times, unsigned threads,
                              const SweepProgress& progress) {
  std::vector<TrimResult> results(turn_times.size());
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, turn_times.size()));

  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  std::mutex report;  // guards `done`, `failure` and the progress calls
  std::size_t done = 0;
  std::exception_ptr failure;

  const auto work = [&] {
    for (;;) {
      const std::size_t i = next.fetch_add(1);
      if (i >= turn_times.size() || stop.load()) return;
      try {
        results[i] = trim_turn_time(settings, turn_times[i]);
      } catch (...) {
        const std::lock_guard lock(report);
        if (!failure) failure = std::current_exception();
        stop.store(true);
        return;
      }
      const std::lock_guard lock(report);
      ++done;
      if (progress) progress(done, turn_times.size());
    }
  };

  std::vector<std::thread> pool;
  pool.reserve(threads);
  for (unsigned k = 1; k < threads; ++k) {
    try {
      pool.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: fewer do the same work
    }
  }
  work();
  for (std::thread& t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
  return results;
}

std::optional<std::size_t> largest_payload(const std::vector<TrimResult>& results) {
  std::optional<std::size_t> best;
  for (std::size_t i = 0; i < results.size(); ++i) {
    if (!results[i].trimmed()) continue;
    if (!best || results[i].flight.SC_M > results[*best].flight.SC_M) best = i;
  }
  return best;
}

}  // namespace ascent::trim
