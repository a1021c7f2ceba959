// Cost per value of the fixed-point text of the trajectory table: write_fixed
// against snprintf("%*.*Lf"), which it replaces, on the columns of a row.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <random>
#include <vector>

#include "text/decimal_format.hpp"

namespace {

struct Field {
  long double x;
  int width;
  int decimals;
};

/// Rows of an ascent: the columns' magnitudes, widths and decimals, angles as
/// unrounded extended expressions, the integer columns already rounded.
std::vector<Field> trajectory_fields() {
  std::mt19937_64 random(2024);
  auto uniform = [&random](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  };
  constexpr long double DEGREES_PER_RADIAN = 57.295779513082320876798154814105170L;
  std::vector<Field> fields;
  for (int row = 0; row < 1000; ++row) {
    const long double t = 0.05L * row + 0.01L * (row % 3);
    fields.push_back({t, 7, 2});
    fields.push_back({uniform(0.0, 60.0), 6, 1});
    fields.push_back({std::rint(static_cast<long double>(uniform(0.0, 8000.0))), 6, 0});
    fields.push_back({std::rint(static_cast<long double>(uniform(0.0, 300000.0))), 8, 0});
    fields.push_back({std::rint(static_cast<long double>(uniform(0.0, 3e6))), 10, 0});
    for (int angle = 0; angle < 3; ++angle) {
      fields.push_back({static_cast<long double>(uniform(-1.6, 1.6)) * DEGREES_PER_RADIAN, 7, 2});
    }
    fields.push_back({uniform(0.0, 50000.0), 9, 1});
    fields.push_back({uniform(1e5, 3e6), 10, 1});
  }
  return fields;
}

template <typename Writer>
void run_over_fields(benchmark::State& state, Writer write) {
  const std::vector<Field> fields = trajectory_fields();
  char text[64];
  for (auto _ : state) {
    for (const Field& f : fields) {
      benchmark::DoNotOptimize(write(text, sizeof text, f));
      benchmark::ClobberMemory();
    }
  }
  // Seconds per value, shown with its SI prefix ("25n" is 25 ns).
  state.counters["time_per_value"] = benchmark::Counter(
      static_cast<double>(fields.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_WriteFixed(benchmark::State& state) {
  run_over_fields(state, [](char* text, std::size_t room, const Field& f) {
    return ascent::write_fixed(text, room, f.x, f.width, f.decimals);
  });
}
BENCHMARK(BM_WriteFixed);

void BM_Snprintf(benchmark::State& state) {
  run_over_fields(state, [](char* text, std::size_t room, const Field& f) {
    return std::snprintf(text, room, "%*.*Lf", f.width, f.decimals, f.x);
  });
}
BENCHMARK(BM_Snprintf);

}  // namespace
