#include "studies/optimal_flight.hpp"

namespace ascent::studies {
namespace {

// Table nodes in each collocation segment. The Hermite-Simpson control is
// quadratic through a segment's start, midpoint and end; the engine's table
// is linear between nodes, so its error falls as the square of this number
// (at the midpoints alone the Delta III orbit's semi-major axis is 1 km off).
constexpr int NODES_PER_SEGMENT = 8;

/// The direction of segment `k` of a phase a fraction `s` into it.
Vector3 segment_direction(const PhaseSolution& phase, std::size_t k, double s) {
  // Lagrange weights for the nodes at 0, 1/2 and 1.
  const double weight[3] = {2.0 * (s - 0.5) * (s - 1.0), -4.0 * s * (s - 1.0), 2.0 * s * (s - 0.5)};
  Vector3 direction = Vector3::Zero();
  for (std::size_t i = 0; i < 3; ++i) {
    const double* u = &phase.controls[3 * (2 * k + i)];
    direction += weight[i] * Vector3(u[0], u[1], u[2]);
  }
  return direction.normalized();
}

}  // namespace

StagedPlan optimum_plan(const AscentOptimum& optimum) {
  StagedPlan plan;
  DirectionTable& table = plan.steering;
  for (const PhaseSolution& phase : optimum.solution.phases) {
    // A phase's first point repeats the time of the last one before it.
    if (!table.empty()) {
      table.times.pop_back();
      table.directions.pop_back();
    }
    const std::size_t segments = (phase.times.size() - 1) / 2;
    for (std::size_t k = 0; k < segments; ++k) {
      const double start = phase.times[2 * k];
      const double length = phase.times[2 * k + 2] - start;
      for (int n = 0; n < NODES_PER_SEGMENT; ++n) {
        const double s = static_cast<double>(n) / NODES_PER_SEGMENT;
        table.times.push_back(start + s * length);
        table.directions.push_back(segment_direction(phase, k, s));
      }
    }
    table.times.push_back(phase.times.back());
    table.directions.push_back(segment_direction(phase, segments - 1, 1.0));
  }
  plan.final_time = optimum.final_time;
  return plan;
}

StagedResult fly_optimum(const StagedVehicle& vehicle, const AscentOptimum& optimum) {
  const StagedPlan plan = optimum_plan(optimum);
  StagedVehicle steered = vehicle;
  ascent::Phase phase;
  phase.name = "optimum";
  phase.steering.kind = StagedSteering::Kind::direction_table;
  phase.end = Trigger{Trigger::Kind::time, *plan.final_time};
  steered.phases = {phase};
  return fly_staged(steered, plan);
}

}  // namespace ascent::studies
