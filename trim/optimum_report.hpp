// The report of `ascent-trim optimize`: the plan of the largest payload, its
// loads, the constraints that hold it, and what the search flew.
#pragma once

#include <ostream>

#include "studies/optimizer.hpp"
#include "trim/reports.hpp"

namespace ascent::trim {

/// The readable report, or in CSV the trade table's header and row of the
/// optimum with the active constraints, the trims and the flights. Without a
/// feasible plan, the line that says so (the table only).
void write_optimum_report(std::ostream& out, const studies::OptimizeResult& result,
                          const studies::OptimizeSettings& settings, Format format);

}  // namespace ascent::trim
