// The optimal ascent problem of a staged vehicle deck: the burn phases
// between the moments its elements ignite, burn out and drop (each phase
// with the summed thrust, flow and nozzle area of the elements burning in
// it and the drag of the configuration in force), the mass dropped at each
// phase's start, the target orbit and the load limits of the deck. The
// deck's own steering is left out: the optimiser finds it.
#pragma once

#include "mission/staged_vehicle.hpp"
#include "studies/optimal_ascent.hpp"

namespace ascent::studies {

/// How finely each burn phase is collocated.
struct AscentMesh {
  double segment_length = 25.0;  ///< [s] about one segment this long
  int min_segments = 15;         ///< and never fewer in a phase
};

/// The problem of the deck's vehicle. Throws std::invalid_argument for a
/// deck the optimiser cannot pose: a moment not at a known time (an
/// altitude or speed trigger), a coast between burns, a thrust table.
[[nodiscard]] AscentProblem ascent_problem(const StagedVehicle& vehicle, const AscentMesh& mesh = {});

}  // namespace ascent::studies
