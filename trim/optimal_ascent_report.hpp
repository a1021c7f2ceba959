// The report of an optimal ascent: the final mass and time, the end of each
// burn phase, each element of the orbit reached with its miss, the peak of
// each path limit and whether it holds the optimum, the solver's iterations
// and time; in CSV the steering history, one row per collocation point.
#pragma once

#include <ostream>

#include "studies/optimal_ascent.hpp"
#include "trim/reports.hpp"

namespace ascent::trim {

/// The readable report or the steering history (CSV). A solve that failed
/// says so and names the element it misses most (the readable report only).
void write_optimal_ascent_report(std::ostream& out, const studies::AscentProblem& problem,
                                 const studies::AscentOptimum& optimum, Format format);

/// The steering history's CSV header and rows.
void write_steering_history(std::ostream& out, const studies::AscentProblem& problem,
                            const studies::AscentOptimum& optimum);

}  // namespace ascent::trim
