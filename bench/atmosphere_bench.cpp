// Cost of the atmosphere query in each of its models and of the drag curve,
// both called several times per Runge-Kutta step.
#include <benchmark/benchmark.h>

#include "atmosphere/atmosphere.hpp"
#include "atmosphere/drag_coefficient.hpp"

namespace {

const ascent::Atmosphere& initialised_air() {
  static const ascent::Atmosphere air = [] {
    ascent::Atmosphere a;
    a.init_atmosphere();
    return a;
  }();
  return air;
}

/// Queries at the altitude [m] given as the benchmark's argument.
void BM_Atmosphere(benchmark::State& state) {
  const ascent::Atmosphere& air = initialised_air();
  double h = static_cast<double>(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(h);
    ascent::AmbientAir data = air.atmosphere(h);
    benchmark::DoNotOptimize(data);
  }
}
BENCHMARK(BM_Atmosphere)
    ->ArgName("h_m")
    ->Arg(10000)     // layered model, layer 0
    ->Arg(60000)     // layered model, layer 5
    ->Arg(300000)    // splines, interval 8
    ->Arg(950000)    // splines, interval 14 (longest search)
    ->Arg(2000000);  // held at the 1000 km ceiling

/// Drag coefficient at the Mach number given in hundredths.
void BM_DragCoefficient(benchmark::State& state) {
  double M = static_cast<double>(state.range(0)) / 100.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(M);
    ascent::Real Cd = ascent::drag_coefficient(M);
    benchmark::DoNotOptimize(Cd);
  }
}
BENCHMARK(BM_DragCoefficient)->ArgName("M_x100")->Arg(50)->Arg(120)->Arg(170)->Arg(350)->Arg(800);

}  // namespace
