#include "studies/optimal_flight.hpp"

#include <algorithm>
#include <cmath>

namespace ascent::optimal {

Vector3 steering_direction(const PhaseSolution& phase, double time) {
  const std::size_t points = phase.times.size();
  const std::size_t segments = (points - 1) / 2;
  const double start = phase.times.front();
  const double length = (phase.times.back() - start) / static_cast<double>(segments);
  const double where = length > 0.0 ? (time - start) / length : 0.0;
  const std::size_t k = std::min(segments - 1, static_cast<std::size_t>(std::clamp(where, 0.0, static_cast<double>(segments))));
  // Lagrange weights at s in [0, 1] of the segment for nodes 0, 1/2, 1.
  const double s = where - static_cast<double>(k);
  const double weight[3] = {2.0 * (s - 0.5) * (s - 1.0), -4.0 * s * (s - 1.0), 2.0 * s * (s - 0.5)};
  Vector3 direction = Vector3::Zero();
  for (std::size_t i = 0; i < 3; ++i) {
    const double* u = &phase.controls[3 * (2 * k + i)];
    direction += weight[i] * Vector3(u[0], u[1], u[2]);
  }
  return direction.normalized();
}

OptimalFlight fly_optimum(const AscentProblem& ascent, const AscentOptimum& optimum, double step) {
  const std::vector<double>& first = optimum.solution.phases.front().states;
  PointMassState state{{first[0], first[1], first[2]}, {first[3], first[4], first[5]}, first[6]};
  for (std::size_t p = 0; p < ascent.phases.size(); ++p) {
    const BurnPhase& burn = ascent.phases[p];
    const PhaseSolution& phase = optimum.solution.phases[p];
    state.mass -= burn.dropped_mass;
    const double start = phase.times.front();
    const double duration = phase.times.back() - start;
    const int steps = std::max(1, static_cast<int>(std::ceil(duration / step)));
    const double dt = duration / steps;
    const auto rates = [&](double time, const PointMassState& trial) {
      const ThrustSetting thrust{steering_direction(phase, time), burn.vacuum_thrust, burn.mass_flow,
                                 burn.exit_area};
      return point_mass_rates(trial, ascent.earth, ascent.air, thrust, burn.drag);
    };
    for (int k = 0; k < steps; ++k) state = rk4_step(state, start + k * dt, dt, rates);
  }
  return {state, orbital_elements(ascent.earth.gravitational_parameter, state.position, state.velocity)};
}

}  // namespace ascent::optimal
