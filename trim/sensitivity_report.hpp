// The report of `ascent-trim sensitivities`: the exchange ratio of every
// numeric vehicle field, readable or CSV.
#pragma once

#include <ostream>
#include <vector>

#include "studies/sensitivities.hpp"
#include "trim/reports.hpp"

namespace ascent::trim {

void write_sensitivity_report(std::ostream& out, const std::vector<studies::ExchangeRatio>& ratios,
                              const studies::TrimSettings& settings,
                              const studies::TypedNumber& turn_time, Format format);

}  // namespace ascent::trim
