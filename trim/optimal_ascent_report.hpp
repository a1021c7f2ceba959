// The report of an optimal ascent: the final mass and time, the end of each
// burn phase, each terminal condition with its miss, the peak of each path
// limit and whether it holds the optimum, the solver's iterations and time,
// and the optimum flown by the staged engine (its final mass and misses);
// in CSV the steering history, one row per collocation point.
#pragma once

#include <ostream>

#include "studies/staged_optimum.hpp"
#include "trim/reports.hpp"

namespace ascent::trim {

/// The readable report or the steering history (CSV). A solve that failed
/// says so and names the condition it misses most (the readable report only).
void write_optimal_ascent_report(std::ostream& out, const studies::StagedOptimum& result, Format format);

/// The steering history's CSV header and rows.
void write_steering_history(std::ostream& out, const studies::StagedOptimum& result);

}  // namespace ascent::trim
