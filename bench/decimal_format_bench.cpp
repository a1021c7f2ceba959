// Cost per value of the fixed-point text of the trajectory table: write_fixed
// against snprintf("%*.*Lf"), which it replaces, on the columns of a row, and
// the rows as the table writes them, ten fields to a Line.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <random>
#include <vector>

#include "text/decimal_format.hpp"
#include "text/line.hpp"

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

/// Seconds per value, shown with its SI prefix ("25n" is 25 ns).
benchmark::Counter per_value(std::size_t values) {
  return benchmark::Counter(
      static_cast<double>(values),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
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
  state.counters["time_per_value"] = per_value(fields.size());
}

void BM_WriteFixed(benchmark::State& state) {
  run_over_fields(state, [](char* text, std::size_t room, const Field& f) {
    return ascent::write_fixed(text, room, f.x, f.width, f.decimals);
  });
}
BENCHMARK(BM_WriteFixed);

void BM_LineRows(benchmark::State& state) {
  const std::vector<Field> fields = trajectory_fields();
  constexpr std::size_t FIELDS_PER_ROW = 10;
  for (auto _ : state) {
    for (std::size_t row = 0; row < fields.size(); row += FIELDS_PER_ROW) {
      ascent::Line line;
      for (std::size_t column = row; column < row + FIELDS_PER_ROW; ++column) {
        line.fixed(fields[column].x, fields[column].width, fields[column].decimals);
      }
      benchmark::DoNotOptimize(line.view().data());
      benchmark::ClobberMemory();
    }
  }
  state.counters["time_per_value"] = per_value(fields.size());
}
BENCHMARK(BM_LineRows);

void BM_Snprintf(benchmark::State& state) {
  run_over_fields(state, [](char* text, std::size_t room, const Field& f) {
    return std::snprintf(text, room, "%*.*Lf", f.width, f.decimals, f.x);
  });
}
BENCHMARK(BM_Snprintf);

}  // namespace
