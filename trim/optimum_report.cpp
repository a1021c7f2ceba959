#include "trim/optimum_report.hpp"

#include <string>

namespace ascent::trim {

namespace {

/// "dynamic pressure limit; shortest turn time", or "none" for a free optimum.
std::string active_text(const OptimizeResult& result, std::string_view separator) {
  if (result.active.empty()) return "none";
  std::string text;
  for (const Constraint c : result.active) {
    if (!text.empty()) text += separator;
    text += constraint_name(c);
  }
  return text;
}

std::string range_text(const OptimizeSettings& settings) {
  return typed_number(settings.from, 6).text + " to " + typed_number(settings.to, 6).text + " s";
}

}  // namespace

void write_optimum_report(std::ostream& out, const OptimizeResult& result,
                          const OptimizeSettings& settings, Format format) {
  const std::string trims = std::to_string(result.trims.size());
  const std::string flights = std::to_string(result.flights);
  if (format == Format::csv) {
    out << csv_header(trim_columns()) << ",sc_mass_unrounded_kg,active,trims,total_flights\n";
    if (!result.best) return;
    out << trade_csv_row(sweep_row(*result.best)) << ','
        << typed_number(result.best->flight.SC_M_unrounded, 3).text << ','
        << csv_field(active_text(result, "; ")) << ',' << trims << ',' << flights << '\n';
    return;
  }
  if (!result.best) {
    out << "No turn time from " << range_text(settings)
        << " gives a feasible trimmed flight within the limits (" << trims << " trims, "
        << flights << " flights).\n";
    return;
  }
  const TrimResult& best = *result.best;
  out << "Largest payload for turn times from " << range_text(settings) << "\n";
  write_trim_report(out, best, settings.trim, Format::table);
  write_report_line(out, "unrounded SC_M", typed_number(best.flight.SC_M_unrounded, 3).text,
                    "kg");
  write_report_line(out, "active constraints", active_text(result, ", "), "");
  write_report_line(out, "trims", trims, "");
  write_report_line(out, "flights of the search", flights, "");
}

}  // namespace ascent::trim
