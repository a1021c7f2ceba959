// The optimal ascent of the Delta III benchmark: the whole solve (the
// guessing flight, the coarse and the fine collocation) at three meshes.
#include <benchmark/benchmark.h>

#include "optimal/delta3_deck.hpp"

namespace {

void BM_OptimizeDeltaIII(benchmark::State& state) {
  const ascent::studies::AscentProblem problem =
      ascent::studies::delta3(static_cast<int>(state.range(0)));
  double final_mass = 0.0;
  int iterations = 0;
  for (auto _ : state) {
    const ascent::studies::AscentOptimum optimum = ascent::studies::optimize_ascent(problem);
    final_mass = optimum.final_mass;
    iterations = optimum.solution.iterations;
  }
  state.counters["final_mass_kg"] = final_mass;
  state.counters["iterations"] = iterations;
}
BENCHMARK(BM_OptimizeDeltaIII)->Arg(10)->Arg(15)->Arg(30)->Unit(benchmark::kMillisecond);

}  // namespace
