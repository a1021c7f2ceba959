// The optimal ascent of a staged deck's vehicle as the clients ask for it
// (ascent-trim optimize --vehicle, Python's ascent.optimize): the problem
// read from the deck, its optimum, and the optimum flown by the staged
// engine with its conditions against the target.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mission/staged_flight.hpp"
#include "studies/optimal_ascent.hpp"
#include "studies/staged_ascent_problem.hpp"

namespace ascent::studies {

struct StagedOptimum {
  AscentProblem problem;
  AscentOptimum optimum;
  /// The optimum flown by the staged engine, with its history (a solved optimum only).
  std::optional<StagedResult> flown;
  /// The flight's end against each terminal condition, as `optimum.elements`.
  std::vector<ElementMiss> flown_elements;
};

/// Optimises the vehicle's ascent to its target within its limits and flies
/// the optimum. Throws InputError for a deck or a limit the optimiser cannot
/// pose, Interrupted when a signal (or `settings.stop`) ends the solve.
[[nodiscard]] StagedOptimum optimize_staged(const StagedVehicle& vehicle, const SolveSettings& settings = {},
                                            const AscentMesh& mesh = {});

/// One collocation point of the optimum's steering history.
struct SteeringPoint {
  double time;           ///< [s]
  std::size_t phase;     ///< index into the problem's phases
  Vector3 direction;     ///< [1] inertial
  double pitch;          ///< [rad] above the local horizon
  double altitude;       ///< [m] above the equatorial radius
  double speed;          ///< [m/s] inertial
  double mass;           ///< [kg]
};

/// Every point of every phase in time order (a staging's time twice: before
/// and after the drop).
[[nodiscard]] std::vector<SteeringPoint> steering_history(const StagedOptimum& result);

/// One result of the optimum as every client shows it: km for lengths,
/// degrees for angles, Pa*deg for q alpha.
struct ResultLine {
  std::string name;
  std::string value;
  std::string unit;  ///< "" for a number without one
};

/// The optimum's results: final mass and time, each phase's end, each
/// condition and its miss, each limit's peak and whether it is active, the
/// solver's iterations and time, the flown final mass and misses. Empty
/// when the solve failed.
[[nodiscard]] std::vector<ResultLine> result_lines(const StagedOptimum& result);

/// Why a failed solve has no optimum, naming the condition it misses most
/// ("No steering reaches the orbit (infeasible, 40 iterations): the
/// semi-major axis is missed by at least -19961.14 km."), or the limits when
/// the orbit alone is within reach.
[[nodiscard]] std::string failure_text(const StagedOptimum& result);

}  // namespace ascent::studies
