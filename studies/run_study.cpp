// The cases of a study on threads, handed on in case order. A thread takes
// the next case number, flies it, and leaves the result for the sink; the
// thread that completes the run of finished cases from the lowest number up
// hands them on. A thread waits before it starts a case more than WINDOW
// cases ahead of the sink, so that one slow case cannot pile up the others.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "studies/study.hpp"

namespace ascent::dispersion {

namespace {

class InOrderStudy {
 public:
  InOrderStudy(const StudySpec& setup, std::uint64_t seed, std::size_t count, unsigned threads,
               const CaseSink& sink, const StudyProgress& progress)
      : spec_(setup),
        seed_(seed),
        count_(count),
        window_(8 * std::size_t{threads}),
        sink_(sink),
        progress_(progress) {}

  /// Flies cases until none is left or the study stops.
  void work();
  void rethrow_failure() const {
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  /// Waits until case k lies within the window; false when the study stopped.
  bool wait_for_window(std::size_t k);
  /// Files a finished case and hands on every case that is now next in order.
  void finish(std::size_t k, CaseResult&& result);

  const StudySpec& spec_;
  const std::uint64_t seed_;
  const std::size_t count_;
  const std::size_t window_;
  const CaseSink& sink_;
  const StudyProgress& progress_;

  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;  // guards everything below
  std::condition_variable moved_on_;
  std::map<std::size_t, CaseResult> waiting_;  ///< finished, not yet handed on
  std::size_t handed_on_ = 0;                  ///< cases handed to the sink
  std::size_t done_ = 0;
  bool stopped_ = false;
  std::exception_ptr failure_;
};

bool InOrderStudy::wait_for_window(std::size_t k) {
  std::unique_lock lock(mutex_);
  moved_on_.wait(lock, [&] { return stopped_ || k < handed_on_ + window_; });
  return !stopped_;
}

void InOrderStudy::finish(std::size_t k, CaseResult&& result) {
  const std::lock_guard lock(mutex_);
  if (stopped_) return;
  try {
    waiting_.emplace(k, std::move(result));
    ++done_;
    if (progress_) progress_(done_, count_);
    while (!waiting_.empty() && waiting_.begin()->first == handed_on_) {
      if (sink_) sink_(waiting_.begin()->second);
      waiting_.erase(waiting_.begin());
      ++handed_on_;
    }
  } catch (...) {
    failure_ = std::current_exception();
    stopped_ = true;
  }
  moved_on_.notify_all();
}

void InOrderStudy::work() {
  for (;;) {
    const std::size_t k = next_.fetch_add(1);
    if (k >= count_ || !wait_for_window(k)) return;
    CaseResult result;
    try {
      result = fly_case(spec_, seed_, k);
    } catch (...) {
      const std::lock_guard lock(mutex_);
      if (!failure_) failure_ = std::current_exception();
      stopped_ = true;
      moved_on_.notify_all();
      return;
    }
    finish(k, std::move(result));
  }
}

}  // namespace

void run_study(const StudySpec& setup, std::uint64_t seed, std::size_t count, unsigned threads,
               const CaseSink& sink, const StudyProgress& progress) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(count, 1)));
  InOrderStudy study(setup, seed, count, threads, sink, progress);
  std::vector<std::thread> pool;
  pool.reserve(threads);
  for (unsigned t = 1; t < threads; ++t) {
    try {
      pool.emplace_back([&] { study.work(); });
    } catch (const std::system_error&) {
      break;  // no more threads to be had: fewer do the same work
    }
  }
  study.work();
  for (std::thread& t : pool) t.join();
  study.rethrow_failure();
}

}  // namespace ascent::dispersion
