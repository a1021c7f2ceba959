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
FlightState core_climb(std::int32_t mode) {
  FlightState s;
  s.steer_mode = mode;
  s.steer_rel = true;
  s.h0 = 30000.0;
  s.vt = 1600.0;
  s.vr = 450.0;
  s.v_earth = 408.0;
  s.m_fixed = 300000.0;
  s.m_prop = 600000.0;
  s.mdot = -2100.0;
  s.thrust_vac = 9282548.16;
  s.exit_area = 16.67;
  s.ref_area = 57.58;
  s.vlaw_k = 2.5e-6;
  s.vlaw_n = 2.0;
  s.maxa = 0.7;
  s.force_count = 3;
  s.force(1) = {2700000.0, 67.0, 2.6e7, 0.0};
  s.force(2) = {1250000.0, 57.6, 1.2e7, 0.0};
  s.force(3) = {174000.0, 55.5, 1.7e6, 0.0};
  s.dt = 0.01;
  return s;
}

/// Steps of 10 ms; every 1000 steps (10 s of flight) the state starts over,
/// so that the flight stays in the same regime however long the run.
void rk4_step(benchmark::State& bench, std::int32_t mode) {
  ascent::FlightDynamics dynamics;
  const FlightState start = core_climb(mode);
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
  rk4_step(bench, ascent::FLIGHT_PATH_STEERING);
}
void BM_rk4_step_vertical_law(benchmark::State& bench) {
  rk4_step(bench, ascent::VERTICAL_ACCEL_LAW);
}
void BM_rk4_step_vacuum(benchmark::State& bench) {
  rk4_step(bench, ascent::VACUUM_STEERING);
}

void BM_trajectory_row(benchmark::State& bench) {
  ascent::FlightDynamics dynamics;
  dynamics.state = core_climb(ascent::FLIGHT_PATH_STEERING);
  const ascent::StepQuantities derived = dynamics.rk4_step();
  ascent::TextChannel out = ascent::TextChannel::create("/dev/null");
  for (auto _ : bench) ascent::write_trajectory_row(out, dynamics.state, derived);
}

BENCHMARK(BM_rk4_step_flight_path);
BENCHMARK(BM_rk4_step_vertical_law);
BENCHMARK(BM_rk4_step_vacuum);
BENCHMARK(BM_trajectory_row);

}  // namespace
