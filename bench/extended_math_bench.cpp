// Cost of the own extended-precision elementary functions next to the C
// library's, over arguments like a flight's: each call waits for the one
// before (latency, as in the chained formulas of a step), 1024 arguments per
// pass.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "base/extended_math.hpp"

namespace {

using ascent::Extended;

std::vector<Extended> arguments(Extended low, Extended high) {
  std::mt19937_64 engine(1);
  std::uniform_real_distribution<Extended> draw(low, high);
  std::vector<Extended> xs(1024);
  for (Extended& x : xs) x = draw(engine);
  return xs;
}

/// f over the arguments, each call fed a hair of the result before it so
/// that the calls form one chain.
template <typename F>
void chained(benchmark::State& state, F f, Extended low, Extended high) {
  const std::vector<Extended> xs = arguments(low, high);
  Extended carry = 0.0L;
  for (auto _ : state) {
    for (const Extended x : xs) carry = f(x + carry * 0x1p-80L);
    benchmark::DoNotOptimize(carry);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(xs.size()));
}

void SineCosine(benchmark::State& state) {
  chained(
      state, [](Extended x) { return ascent::sine_cosine(x).cos; }, -4.0L, 4.0L);
}
void LibrarySineCosine(benchmark::State& state) {
  chained(
      state,
      [](Extended x) {
        const Extended s = std::sin(x);  // one sincos call
        return std::cos(x) + s * 0x1p-100L;
      },
      -4.0L, 4.0L);
}
void Exponential(benchmark::State& state) {
  chained(state, ascent::exponential, -40.0L, 25.0L);
}
void LibraryExponential(benchmark::State& state) {
  chained(
      state, [](Extended x) { return std::exp(x); }, -40.0L, 25.0L);
}
void Logarithm(benchmark::State& state) {
  chained(state, ascent::logarithm, 0.5L, 5000.0L);
}
void LibraryLogarithm(benchmark::State& state) {
  chained(
      state, [](Extended x) { return std::log(x); }, 0.5L, 5000.0L);
}
void Arctangent(benchmark::State& state) {
  chained(state, ascent::arctangent, -5.0L, 5.0L);
}
void LibraryArctangent(benchmark::State& state) {
  chained(
      state, [](Extended x) { return std::atan(x); }, -5.0L, 5.0L);
}

BENCHMARK(SineCosine);
BENCHMARK(LibrarySineCosine);
BENCHMARK(Exponential);
BENCHMARK(LibraryExponential);
BENCHMARK(Logarithm);
BENCHMARK(LibraryLogarithm);
BENCHMARK(Arctangent);
BENCHMARK(LibraryArctangent);

}  // namespace
