// Cost of whole flights: one flight of the README example (turn time 20 s,
// 18 degrees) through the flight library with no observer, the same with the
// upper stage guided to the target orbit, and whole
// dialogue sessions with the output channel discarded, and with every file
// written (output file, plot files, constants file) in a scratch folder.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "console/session.hpp"
#include "mission/flight.hpp"

namespace {

namespace fs = std::filesystem;

/// A scratch folder holding the sample booster thrust file.
class Folder {
 public:
  Folder() {
    std::string pattern = (fs::temp_directory_path() / "ascent-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a folder");
    path = pattern;
    fs::copy_file(fs::path(ASCENT_DATA_DIR) / "s1.dat", path / "s1.dat");
  }
  ~Folder() { fs::remove_all(path); }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  fs::path path;
};

/// One program session answering `answers`, its standard output discarded.
void fly_session(const fs::path& folder, std::string answers) {
  std::FILE* in = fmemopen(answers.data(), answers.size(), "r");
  std::FILE* out = std::fopen("/dev/null", "wb");
  if (in == nullptr || out == nullptr) throw std::runtime_error("cannot open a stream");
  {
    ascent::Session session(in, out, folder);
    if (ascent::run_session(session, out) != 0) throw std::runtime_error("the flight failed");
  }
  std::fclose(out);
  std::fclose(in);
}

void FlightThroughTheLibrary(benchmark::State& state) {
  const ascent::ThrustHistory thrust =
      ascent::ThrustHistory::read(fs::path(ASCENT_DATA_DIR) / "s1.dat");
  const ascent::Vehicle vehicle;
  for (auto _ : state) {
    const ascent::FlightResult result = ascent::fly(vehicle, thrust, {20.0, 18.0, {}});
    benchmark::DoNotOptimize(result.budget.SC_M);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(FlightThroughTheLibrary)->Unit(benchmark::kMillisecond);

/// The same flight with the upper stage guided to the 200 x 200 km target:
/// the guidance's cost per flight beside the flight above.
void GuidedFlightThroughTheLibrary(benchmark::State& state) {
  const ascent::ThrustHistory thrust =
      ascent::ThrustHistory::read(fs::path(ASCENT_DATA_DIR) / "s1.dat");
  ascent::Vehicle vehicle;
  vehicle.upper_stage.guidance = ascent::UpperStageGuidance::orbit_insertion;
  for (auto _ : state) {
    const ascent::FlightResult result = ascent::fly(vehicle, thrust, {20.0, 18.0, {}});
    benchmark::DoNotOptimize(result.budget.SC_M);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(GuidedFlightThroughTheLibrary)->Unit(benchmark::kMillisecond);

void WholeRunOutputDiscarded(benchmark::State& state) {
  Folder folder;
  for (auto _ : state) fly_session(folder.path, "\n20\n18\n-1\n");
}
BENCHMARK(WholeRunOutputDiscarded)->Unit(benchmark::kMillisecond);

void WholeRunEveryFileWritten(benchmark::State& state) {
  Folder folder;
  for (auto _ : state) fly_session(folder.path, "run.txt\n20\n18\n-1\n");
}
BENCHMARK(WholeRunEveryFileWritten)->Unit(benchmark::kMillisecond);

void TenRunSession(benchmark::State& state) {
  Folder folder;
  std::string answers = "run.txt\n";
  for (int run = 0; run < 10; ++run) answers += std::to_string(15 + run) + "\n18\n";
  for (auto _ : state) fly_session(folder.path, answers + "-1\n");
}
BENCHMARK(TenRunSession)->Unit(benchmark::kMillisecond);

}  // namespace
