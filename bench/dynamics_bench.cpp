// Cost of one Runge-Kutta step in each steering mode (four derivative
// evaluations, the post-step update and the orbit), and of writing one
// trajectory row to /dev/null.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "dynamics/flight_dynamics.hpp"
#include "text/trajectory_row.hpp"

namespace {

using ascent::FlightState;
/// The core stage climbing through 30 km.
FlightState core_climb(const ascent::SteeringLaw& law) {
  FlightState s;
  s.steering.law = law;
  s.h0 = 30000.0;
  s.vt = 1600.0;
  s.vr = 450.0;
  s.stage.v_earth = 408.0;
  s.stage.m_fixed = 300000.0;
  s.m_prop = 600000.0;
  s.mdot = -2100.0;
  s.thrust_vac = 9282548.16;
  s.stage.exit_area = 16.67;
  s.stage.ref_area = 57.58;
  s.steering.maxa = 0.7;
  s.force_count = 3;
  s.force(1) = {2700000.0, 67.0, 2.6e7, 0.0};
  s.force(2) = {1250000.0, 57.6, 1.2e7, 0.0};
  s.force(3) = {174000.0, 55.5, 1.7e6, 0.0};
  s.dt = 0.01;
  return s;
}

/// Steps of 10 ms; every 1000 steps (10 s of flight) the state starts over,
/// so that the flight stays in the same regime however long the run.
void rk4_step(benchmark::State& bench, const ascent::SteeringLaw& law) {
  ascent::FlightDynamics dynamics;
  const FlightState start = core_climb(law);
  dynamics.state = start;
  int steps = 0;
  for (auto _ : bench) {
    dynamics.rk4_step();
    if (++steps == 1000) {
      steps = 0;
      dynamics.state = start;
    }
  }
  benchmark::DoNotOptimize(dynamics.state.h0);
}

void BM_rk4_step_flight_path(benchmark::State& bench) {
  rk4_step(bench, ascent::RelativePathSteering{});
}
void BM_rk4_step_vertical_law(benchmark::State& bench) {
  rk4_step(bench, ascent::VerticalAccelerationLaw{.n = 2.0, .K = 2.5e-6, .calibrated = true});
}
void BM_rk4_step_vacuum(benchmark::State& bench) {
  rk4_step(bench, ascent::VacuumSteering{});
}

void BM_trajectory_row(benchmark::State& bench) {
  ascent::FlightDynamics dynamics;
  dynamics.state = core_climb(ascent::RelativePathSteering{});
  const ascent::StepQuantities derived = dynamics.rk4_step();
  ascent::TextChannel out = ascent::TextChannel::create("/dev/null");
  for (auto _ : bench) ascent::write_trajectory_row(out, dynamics.state, derived);
}

BENCHMARK(BM_rk4_step_flight_path);
BENCHMARK(BM_rk4_step_vertical_law);
BENCHMARK(BM_rk4_step_vacuum);
BENCHMARK(BM_trajectory_row);

}  // namespace
