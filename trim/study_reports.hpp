// The outputs of a dispersion study: the case file (CSV, one row per case,
// every number in its shortest exact form so that rows compare bit for bit)
// and the summary table.
#pragma once

#include <ostream>
#include <string>

#include "studies/impact_dispersion.hpp"
#include "studies/study_summary.hpp"

namespace ascent::trim {

/// case, seed, each dispersion as "name [unit]", maxa, the orbit, the
/// remaining propellant, SC_M, flights, status and message.
void write_case_csv_header(std::ostream& out, const studies::DispersionSet& set);

/// The row of one case; the orbit and budget are empty when it has none.
void write_case_csv_row(std::ostream& out, const studies::CaseResult& result);

/// What the summary table says besides the summary itself.
struct StudyDescription {
  const studies::StudySpec* setup = nullptr;
  std::uint64_t seed = 0;
  std::string set_name;  ///< where the dispersion set comes from
};

/// The study, the nominal flight, the cases by status, the statistics and,
/// closed loop, the flight performance reserve and the payload met.
void write_summary_table(std::ostream& out, const studies::StudySummary& summary,
                         const StudyDescription& study);

/// "case," then the impact columns: the header of the impact points file.
void write_impact_csv_header(std::ostream& out);
/// One row per element dropped by case `result`.
void write_impact_csv_rows(std::ostream& out, const studies::CaseResult& result);

/// Per element: its impacts, its mean impact point, its 99 % and 3-sigma
/// ellipses and its farthest case.
void write_impact_summary(std::ostream& out, const std::vector<studies::ImpactDispersion>& spreads);

}  // namespace ascent::trim
