// The optimum flown: the thrust direction interpolated from the collocation's
// points (a quadratic through each segment's start, midpoint and end, as the
// Hermite-Simpson control is), and the ascent integrated by RK4 on the flight
// engine's point-mass equations, phase by phase, each step ending exactly
// on the phase's end.
#pragma once

#include "dynamics/orbital_elements.hpp"
#include "dynamics/point_mass_motion.hpp"
#include "studies/optimal_ascent.hpp"

namespace ascent::optimal {

/// [1] the unit thrust direction of a phase of the solution at `time` [s].
[[nodiscard]] Vector3 steering_direction(const PhaseSolution& phase, double time);

struct OptimalFlight {
  PointMassState end;        ///< at the end of the last phase
  OrbitalElements elements;  ///< osculating at the end
};

/// Flies the optimum's steering from the pad with steps of at most `step` [s].
[[nodiscard]] OptimalFlight fly_optimum(const AscentProblem& ascent, const AscentOptimum& optimum,
                                        double step = 0.1);

}  // namespace ascent::optimal
