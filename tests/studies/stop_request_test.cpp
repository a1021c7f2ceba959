// Stop requests reach the work under way: the check before each flight of
// a trim ends the trim, the targeting, the search of the payload and the
// exchange ratios at once, and a stopped sweep ends the trim a worker is in
// rather than flying it to its end. Counted in flights, never in seconds.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "studies/optimizer.hpp"
#include "studies/sensitivities.hpp"
#include "studies/sweep.hpp"
#include "studies/target.hpp"
#include "studies/trim_testing.hpp"

namespace ascent::testing {
namespace {

struct Stopped {};

/// A check that throws before the `last`-th flight, counting the flights it was asked about.
struct CountingCheck {
  int last;
  int calls = 0;
  std::function<void()> check() {
    return [this] {
      if (++calls >= last) throw Stopped{};
    };
  }
};

TEST(StopRequest, EndsEveryWorkBuiltOnTrimsAtItsNextFlight) {
  const studies::TypedNumber turn_time = studies::typed_number(20.0, 3);
  const std::vector<std::pair<const char*, std::function<void(studies::TrimSettings&)>>> works = {
      {"trim", [&](studies::TrimSettings& s) { (void)studies::trim_turn_time(s, turn_time); }},
      {"target",
       [&](studies::TrimSettings& s) {
         (void)studies::fly_to_target({s, turn_time, std::nullopt, std::nullopt, std::nullopt});
       }},
      {"optimize",
       [&](studies::TrimSettings& s) {
         studies::OptimizeSettings settings;
         settings.trim = s;
         (void)studies::optimize_payload(settings);
       }},
      {"guided optimize",
       [&](studies::TrimSettings& s) {
         studies::OptimizeSettings settings;
         settings.trim = s;
         settings.trim.vehicle.upper_stage.guidance = UpperStageGuidance::orbit_insertion;
         (void)studies::optimize_payload(settings);
       }},
      {"sensitivities",
       [&](studies::TrimSettings& s) { (void)studies::exchange_ratios(s, turn_time); }},
  };
  for (const auto& [name, work] : works) {
    for (const int last : {1, 2}) {
      SCOPED_TRACE(std::string(name) + ", stopped before flight " + std::to_string(last));
      CountingCheck counting{last};
      studies::TrimSettings settings = sample_settings();
      settings.interruption = counting.check();
      EXPECT_THROW(work(settings), Stopped);
      EXPECT_EQ(counting.calls, last) << "flights went on after the stop";
    }
  }
  // At an angle given, the target's one flight is checked too.
  CountingCheck counting{1};
  studies::TrimSettings settings = sample_settings();
  settings.interruption = counting.check();
  EXPECT_THROW((void)studies::fly_to_target({settings, turn_time, studies::typed_number(18.0, 3),
                                             std::nullopt, std::nullopt}),
               Stopped);
}

// The stop is asked between rows on the calling thread: the trim a worker is
// in when it comes must end there, not run to its last flight.
TEST(StopRequest, AStoppedSweepEndsTheTrimUnderWay) {
  studies::TrimSettings settings = sample_settings();
  // A trim that cannot end before the bracket is one quantum wide: dozens of flights.
  settings.tolerance = 1e-9;
  settings.max_flights = 10000;
  std::mutex mutex;
  std::condition_variable stop_said;
  bool stopping = false;
  std::atomic<int> flights = 0;
  constexpr int STOP_AT = 3;
  constexpr std::chrono::milliseconds SLOW_FLIGHT{20};
  // Each flight from the third on waits for the stop to be said, then flies
  // as slowly as a slow row's flight: the few the worker may fly between the
  // stop being said and its being told cannot become the rest of the trim.
  settings.interruption = [&] {
    if (++flights < STOP_AT) return;
    {
      std::unique_lock lock(mutex);
      stop_said.wait(lock, [&] { return stopping; });
    }
    std::this_thread::sleep_for(SLOW_FLIGHT);
  };
  const std::size_t rows = studies::sweep(
      settings, studies::TurnTimes::between(20.0, 23.0, 1.0), [](const studies::SweepRow&) {}, 1,
      [&] {
        if (flights < STOP_AT) return false;
        const std::lock_guard lock(mutex);
        stopping = true;
        stop_said.notify_all();
        return true;
      });
  EXPECT_EQ(rows, 0u);
  // The flight under way when the stop came, and perhaps the next one before
  // the worker is told; never the rest of the trim.
  EXPECT_LE(flights.load(), STOP_AT + 2);
  const studies::TrimResult whole = studies::trim_turn_time(
      [&] {
        studies::TrimSettings unstopped = settings;
        unstopped.interruption = {};
        return unstopped;
      }(),
      studies::typed_number(20.0, 3));
  EXPECT_GT(whole.flights.size(), static_cast<std::size_t>(STOP_AT + 10))
      << "the row is not slow enough to show a trim that runs on";
}

}  // namespace
}  // namespace ascent::testing
