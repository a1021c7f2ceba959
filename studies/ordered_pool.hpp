// Many independent computations (the trims of a sweep, the cases of a study)
// on worker threads, their rows handed on in index order on the calling
// thread. The calling thread flies nothing: it hands rows on and asks, at
// least every STOP_POLL, whether to stop, so a signal or a Python Ctrl-C is
// heard within a fraction of a second however long a row takes. Workers run
// at most a few rows ahead of the first row not yet handed on, so one slow
// row cannot pile up the others and the memory stays bounded.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <stop_token>
#include <system_error>
#include <thread>
#include <vector>

#include "base/interruption.hpp"

namespace ascent::studies {

/// Longest time between two looks at the stop request while rows are awaited.
inline constexpr std::chrono::milliseconds STOP_POLL{50};

/// Rows a worker may run ahead of the first row not yet handed on, per thread.
inline constexpr std::size_t ROWS_AHEAD_PER_THREAD = 8;

/// The worker threads of run_in_order and the rows they have done. The
/// threads are told to stop and joined when it goes, also on an exception.
template <class Row>
class OrderedPool {
 public:
  /// Computes the row of an index; the token tells a long computation that
  /// the pool stops (it may then throw anything: the row is dropped).
  using Work = std::function<Row(std::size_t index, std::stop_token stopping)>;

  OrderedPool(std::size_t count, unsigned threads, Work work)
      : count_(count), ahead_(ROWS_AHEAD_PER_THREAD * threads), work_(std::move(work)) {
    for (unsigned k = 0; k < threads; ++k) {
      try {
        workers_.emplace_back([this](std::stop_token stopping) { run(stopping); });
      } catch (const std::system_error&) {
        if (workers_.empty()) throw;
        break;  // no more threads to be had: fewer do the same work
      }
    }
  }
  ~OrderedPool() {
    for (std::jthread& worker : workers_) worker.request_stop();
    // jthread's destructor joins.
  }
  OrderedPool(const OrderedPool&) = delete;
  OrderedPool& operator=(const OrderedPool&) = delete;

  /// The row of `index` once it is done, or nullopt when STOP_POLL passed
  /// first. A computation that threw rethrows here, in index order.
  std::optional<Row> take(std::size_t index) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, STOP_POLL, [&] { return done_.count(index) != 0; })) {
      return std::nullopt;
    }
    Done done = std::move(done_.extract(index).mapped());
    handed_ = index + 1;
    lock.unlock();
    changed_.notify_all();
    if (done.failure) std::rethrow_exception(done.failure);
    return std::move(done.row);
  }

 private:
  struct Done {
    std::optional<Row> row;
    std::exception_ptr failure;
  };

  void run(std::stop_token stopping) {
    // Signals go to the calling thread, which hears them between rows.
    block_interruption_signals_in_this_thread();
    for (;;) {
      std::size_t index = 0;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, stopping,
                      [&] { return next_ >= count_ || next_ < handed_ + ahead_; });
        if (stopping.stop_requested() || next_ >= count_) return;
        index = next_++;
      }
      Done done;
      try {
        done.row.emplace(work_(index, stopping));
      } catch (...) {
        if (stopping.stop_requested()) return;
        done.failure = std::current_exception();
      }
      {
        const std::lock_guard lock(mutex_);
        done_.emplace(index, std::move(done));
      }
      changed_.notify_all();
    }
  }

  const std::size_t count_;
  const std::size_t ahead_;
  const Work work_;
  std::mutex mutex_;  // guards everything below but the workers
  std::condition_variable_any changed_;
  std::size_t next_ = 0;    ///< the next index to compute
  std::size_t handed_ = 0;  ///< rows handed on so far
  std::map<std::size_t, Done> done_;
  std::vector<std::jthread> workers_;  // last: stopped and joined first
};

/// Computes the rows of indexes 0 .. count-1 on `threads` worker threads (0:
/// one per core) and hands each to `sink` on the calling thread, in index
/// order, as soon as it and every row before it are done. `stop`, asked on
/// the calling thread between rows and at least every STOP_POLL, ends the
/// run: rows not yet handed on are dropped, and the computations under way
/// are told through their stop token. Returns the number of rows handed on
/// (count unless stopped). An exception of a computation is thrown here once
/// the rows before it are handed on; one from `sink` or `stop` is thrown here;
/// either stops the workers.
template <class Row>
std::size_t run_in_order(std::size_t count, unsigned threads,
                         const typename OrderedPool<Row>::Work& work,
                         const std::function<void(Row&)>& sink,
                         const std::function<bool()>& stop = {}) {
  if (count == 0) return 0;
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, count));
  OrderedPool<Row> pool(count, threads, work);
  std::size_t handed = 0;
  while (handed < count && !(stop && stop())) {
    if (std::optional<Row> row = pool.take(handed)) {
      sink(*row);
      ++handed;
    }
  }
  return handed;
}

}  // namespace ascent::studies
