// The outputs of a dispersion study: the case file (CSV, one row per case,
// every number in its shortest exact form so that rows compare bit for bit)
// and the summary table.
#pragma once

#include <ostream>
#include <string>

#include "studies/study_summary.hpp"

namespace ascent::dispersion {

/// case, seed, each dispersion as "name [unit]", maxa, the orbit, the
/// remaining propellant, SC_M, flights, status and message.
void write_case_csv_header(std::ostream& out, const DispersionSet& set);

/// The row of one case; the orbit and budget are empty when it has none.
void write_case_csv_row(std::ostream& out, const CaseResult& result);

/// What the summary table says besides the summary itself.
struct StudyDescription {
  const StudySpec* setup = nullptr;
  std::uint64_t seed = 0;
  std::string set_name;  ///< where the dispersion set comes from
};

/// The study, the nominal flight, the cases by status, the statistics and,
/// closed loop, the flight performance reserve and the payload met.
void write_summary_table(std::ostream& out, const StudySummary& summary,
                         const StudyDescription& study);

}  // namespace ascent::dispersion
