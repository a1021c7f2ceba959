// Dispersion studies: one closed-loop case, and a 1000-case closed-loop study
// with the default set on one thread and on two.
#include <benchmark/benchmark.h>

#include "studies/dispersion_file.hpp"
#include "studies/study.hpp"

namespace {

using namespace ascent::studies;

const StudySpec& closed_loop_study() {
  static const StudySpec setup = [] {
    ascent::studies::TrimSettings settings;
    settings.thrust = ascent::ThrustHistory::read(ASCENT_SAMPLE_THRUST);
    return prepare_study(settings, *ascent::studies::typed_number("20"), default_dispersion_set(),
                         LoopMode::closed);
  }();
  return setup;
}

void BM_ClosedLoopCase(benchmark::State& state) {
  const StudySpec& setup = closed_loop_study();
  std::size_t k = 0;
  std::size_t flights = 0;
  for (auto _ : state) {
    const CaseResult c = fly_case(setup, 1, k++);
    flights += static_cast<std::size_t>(c.flights);
    benchmark::DoNotOptimize(c.remaining_propellant);
  }
  state.counters["flights"] =
      benchmark::Counter(static_cast<double>(flights), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ClosedLoopCase)->Unit(benchmark::kMillisecond);

/// 1000 closed-loop cases; argument: threads.
void BM_ClosedLoopStudy1000(benchmark::State& state) {
  const StudySpec& setup = closed_loop_study();
  const auto threads = static_cast<unsigned>(state.range(0));
  std::size_t flights = 0;
  for (auto _ : state) {
    run_study(setup, 1, 1000, threads,
              [&](const CaseResult& c) { flights += static_cast<std::size_t>(c.flights); });
  }
  state.counters["cases/s"] = benchmark::Counter(1000.0 * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
  state.counters["flights/s"] =
      benchmark::Counter(static_cast<double>(flights), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ClosedLoopStudy1000)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
