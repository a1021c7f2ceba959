#include "trim/optimum_report.hpp"

#include <string>

#include "deck/guidance_names.hpp"

namespace ascent::trim {

using studies::Constraint;
using studies::constraint_name;
using studies::OptimizeResult;
using studies::OptimizeSettings;
using studies::searches_maxa;
using studies::sweep_row;
using studies::trim_columns;
using studies::TrimResult;
using studies::typed_number;

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

/// "turn times from 20 to 115 s and max. angles of attack from 0 to 90 deg"
std::string guided_range_text(const OptimizeSettings& settings) {
  return "turn times from " + range_text(settings) + " and max. angles of attack from 0 to " +
         typed_number(settings.trim.largest_maxa, 6).text + " deg";
}

}  // namespace

void write_optimum_report(std::ostream& out, const OptimizeResult& result,
                          const OptimizeSettings& settings, Format format) {
  const std::string trims = std::to_string(result.trims.size());
  const std::string flights = std::to_string(result.flights);
  const bool guided = searches_maxa(settings);
  if (format == Format::csv) {
    // The guidance and the orbit aimed at make the row a plan that
    // `dispersions --plan` flies as it was found.
    out << csv_header(trim_columns())
        << ",sc_mass_unrounded_kg,active,trims,total_flights,guidance,target_perigee_m,"
           "target_apogee_m\n";
    if (!result.best) return;
    const TargetOrbit& target = settings.trim.vehicle.target;
    out << trade_csv_row(sweep_row(*result.best)) << ','
        << typed_number(result.best->flight.SC_M_unrounded, 3).text << ','
        << csv_field(active_text(result, "; ")) << ',' << trims << ',' << flights << ','
        << guidance_name(guided ? UpperStageGuidance::orbit_insertion
                                : UpperStageGuidance::vertical_acceleration)
        << ',' << typed_number(target.perigee_altitude(), 3).text << ','
        << typed_number(target.apogee_altitude(), 3).text << '\n';
    return;
  }
  if (!result.best && guided) {
    out << "No plan for " << guided_range_text(settings)
        << " gives a guided flight in orbit within the limits (" << flights << " flights).\n";
    return;
  }
  if (!result.best) {
    out << "No turn time from " << range_text(settings)
        << " gives a feasible trimmed flight within the limits (" << trims << " trims, "
        << flights << " flights).\n";
    return;
  }
  const TrimResult& best = *result.best;
  if (guided) {
    // The guided stage flies to the orbit at the plan's angle: no trim.
    const TargetOrbit& target = settings.trim.vehicle.target;
    out << "Largest payload for " << guided_range_text(settings) << "\n";
    write_guided_heading(out, best.turn_time, target.perigee_altitude(), target.apogee_altitude());
    write_plan_lines(out, best);
  } else {
    out << "Largest payload for turn times from " << range_text(settings) << "\n";
    write_trim_report(out, best, settings.trim, Format::table);
  }
  write_report_line(out, "unrounded SC_M", typed_number(best.flight.SC_M_unrounded, 3).text,
                    "kg");
  write_report_line(out, "active constraints", active_text(result, ", "), "");
  write_report_line(out, "trims", trims, "");
  write_report_line(out, "flights of the search", flights, "");
}

}  // namespace ascent::trim
