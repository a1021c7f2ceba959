// The built-in vehicle flown both ways at the plan of the trim at a turn time
// of 20 s: the classic planar flight (extended precision) beside the
// three-dimensional flight of its staged deck, events and end only, and with
// a sample of every step kept; and the deck with its upper stage guided.
#include <benchmark/benchmark.h>

#include <numbers>

#include "deck/staged_deck.hpp"
#include "mission/flight.hpp"
#include "mission/staged_flight.hpp"

namespace {

const ascent::StagedVehicle& builtin_deck() {
  static const ascent::StagedVehicle deck =
      ascent::read_staged_deck(ASCENT_DATA_DIR "/vehicles/builtin.toml");
  return deck;
}

void ClassicFlight(benchmark::State& state) {
  const ascent::ThrustHistory thrust = ascent::ThrustHistory::read(ASCENT_DATA_DIR "/s1.dat");
  const double maxa = builtin_deck().phases.back().steering.maxa * 180.0 / std::numbers::pi;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ascent::fly(ascent::Vehicle{}, thrust, {20.0, maxa, {}, {}}));
  }
}
BENCHMARK(ClassicFlight)->Unit(benchmark::kMillisecond);

void StagedFlight3D(benchmark::State& state) {
  ascent::StagedPlan plan;
  plan.keep_history = state.range(0) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(ascent::fly_staged(builtin_deck(), plan));
}
BENCHMARK(StagedFlight3D)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void GuidedFlight3D(benchmark::State& state) {
  static const ascent::StagedVehicle deck =
      ascent::read_staged_deck(ASCENT_DATA_DIR "/vehicles/builtin_guided.toml");
  ascent::StagedPlan plan;
  plan.keep_history = false;
  for (auto _ : state) benchmark::DoNotOptimize(ascent::fly_staged(deck, plan));
}
BENCHMARK(GuidedFlight3D)->Unit(benchmark::kMillisecond);

}  // namespace
