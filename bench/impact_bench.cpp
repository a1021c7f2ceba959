// The cost of impact points, side by side: a flight alone and the same flight
// with the ballistic fall of every element it drops, for the classic flight
// of the built-in vehicle (trim at 20 s) and for the flight of its staged deck.
#include <benchmark/benchmark.h>

#include "deck/staged_deck.hpp"
#include "mission/staged_flight.hpp"
#include "studies/flight_ground.hpp"
#include "studies/flight_runner.hpp"
#include "studies/staged_ground.hpp"

namespace {

constexpr double MAXA = 17.959326;  ///< [deg] the trim at 20 s of the sample thrust file

void ClassicFlight(benchmark::State& state) {
  const ascent::Vehicle vehicle;
  const ascent::ThrustHistory thrust = ascent::ThrustHistory::read(ASCENT_DATA_DIR "/s1.dat");
  const ascent::studies::FlightGround ground(vehicle, {});
  const bool with_impacts = state.range(0) != 0;
  for (auto _ : state) {
    ascent::studies::FlightRecorder recorder;
    ascent::studies::FlightRequest request{&vehicle,
                                           &thrust,
                                           ascent::studies::typed_number(20.0, 3),
                                           ascent::studies::typed_number(MAXA, 6),
                                           &recorder,
                                           {}};
    benchmark::DoNotOptimize(ascent::studies::fly(request));
    if (with_impacts) benchmark::DoNotOptimize(ground.impacts(recorder.events()));
  }
}
BENCHMARK(ClassicFlight)->ArgName("impacts")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void StagedFlight(benchmark::State& state) {
  const ascent::StagedVehicle deck =
      ascent::read_staged_deck(ASCENT_DATA_DIR "/vehicles/builtin.toml");
  ascent::StagedPlan plan;
  plan.keep_history = false;
  const bool with_impacts = state.range(0) != 0;
  for (auto _ : state) {
    const ascent::StagedResult flown = ascent::fly_staged(deck, plan);
    if (with_impacts) benchmark::DoNotOptimize(ascent::studies::staged_impacts(deck, flown, false));
    benchmark::DoNotOptimize(flown);
  }
}
BENCHMARK(StagedFlight)->ArgName("impacts")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
