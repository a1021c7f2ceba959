// ascent-trim's work: one trim, and a sweep of 100 turn times on every core.
#include <benchmark/benchmark.h>

#include <thread>

#include "studies/sweep.hpp"

namespace {

using namespace ascent::studies;

TrimSettings sample_settings() {
  TrimSettings settings;
  settings.thrust = ascent::ThrustHistory::read(ASCENT_SAMPLE_THRUST);
  return settings;
}

void BM_FlyOneFlight(benchmark::State& state) {
  const ascent::Vehicle vehicle;
  const ascent::ThrustHistory thrust = ascent::ThrustHistory::read(ASCENT_SAMPLE_THRUST);
  FlightRequest request;
  request.vehicle = &vehicle;
  request.thrust = &thrust;
  request.turn_time = *typed_number("20");
  request.maxa = *typed_number("17.96");
  for (auto _ : state) benchmark::DoNotOptimize(fly(request));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FlyOneFlight)->Unit(benchmark::kMillisecond);

void BM_TrimOneTurnTime(benchmark::State& state) {
  const TrimSettings settings = sample_settings();
  const TypedNumber turn_time = *typed_number("20");
  std::size_t flights = 0;
  for (auto _ : state) {
    const TrimResult result = trim_turn_time(settings, turn_time);
    flights += result.flights.size();
    benchmark::DoNotOptimize(result.maxa.value);
  }
  state.counters["flights"] =
      benchmark::Counter(static_cast<double>(flights), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TrimOneTurnTime)->Unit(benchmark::kMillisecond);

/// 100 turn times from 10 s to 29.8 s; argument: threads (0: one per core).
void BM_Sweep100TurnTimes(benchmark::State& state) {
  const TrimSettings settings = sample_settings();
  const TurnTimes times = TurnTimes::between(10.0, 29.8, 0.2);
  const auto threads = static_cast<unsigned>(state.range(0));
  std::size_t flights = 0;
  for (auto _ : state) {
    sweep(settings, times, [&](const SweepRow& row) { flights += row.flights; }, threads);
  }
  state.counters["flights/s"] =
      benchmark::Counter(static_cast<double>(flights), benchmark::Counter::kIsRate);
  state.counters["threads"] = threads == 0 ? std::thread::hardware_concurrency() : threads;
}
BENCHMARK(BM_Sweep100TurnTimes)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
