#include "trim/html_reports.hpp"

#include <limits>

namespace ascent::trim {

using studies::ExchangeRatio;
using studies::FlightOutcome;
using studies::FlightRecorder;
using studies::row_status_name;
using studies::SweepRow;

void write_sweep_report(const std::filesystem::path& path, const ReportFacts& facts,
                        const std::vector<SweepRow>& rows) {
  constexpr double NONE = std::numeric_limits<double>::quiet_NaN();
  studies::SweepColumns columns;
  for (const SweepRow& row : rows) {
    const bool flown = row.trimmed() && row.flight.separated;
    const FlightOutcome& f = row.flight;
    const auto shown = [&](double value) { return flown ? value : NONE; };
    columns.turn_time.push_back(row.turn_time.value);
    columns.maxa.push_back(row.trimmed() ? row.maxa.value : NONE);
    columns.perigee.push_back(shown(f.perigee));
    columns.apogee.push_back(shown(f.apogee));
    columns.average_altitude.push_back(shown(f.average_altitude));
    columns.remaining_propellant.push_back(shown(f.remaining_propellant));
    columns.sc_mass.push_back(shown(f.SC_M));
    columns.max_dynamic_pressure.push_back(row.trimmed() ? f.loads.dynamic_pressure : NONE);
    columns.max_q_alpha.push_back(row.trimmed() ? f.loads.q_alpha : NONE);
    columns.max_acceleration.push_back(row.trimmed() ? f.loads.acceleration : NONE);
    columns.flights.push_back(static_cast<double>(row.flights));
    columns.status.emplace_back(row_status_name(row.row_status()));
    columns.message.push_back(row.message);
  }
  studies::sweep_page(facts, columns).write(path);
}

void write_dispersion_report(const std::filesystem::path& path, const ReportFacts& facts,
                             const studies::StudySpec& study,
                             const std::vector<studies::CaseResult>& cases,
                             const std::vector<studies::ImpactDispersion>& spreads) {
  studies::StudyPage page;
  page.mode = study.mode;
  for (const studies::Dispersion& d : study.dispersions.entries()) {
    page.parameter_names.push_back(d.name);
  }
  page.cases = cases;
  page.nominal_maxa = study.nominal_maxa.value;
  page.nominal_remaining_propellant = study.nominal_flight.remaining_propellant;
  page.nominal_sc_mass = study.nominal_flight.SC_M;
  page.target = study.nominal.vehicle.target;
  if (!spreads.empty()) page.impacts = studies::impact_chart_columns(cases, spreads);
  studies::study_page(facts, page).write(path);
}

void write_flight_report(const std::filesystem::path& path, const std::string& title,
                         const ReportFacts& facts, const ReportFacts& results,
                         const FlightRecorder* flight) {
  studies::flight_page(title, facts, results, flight).write(path);
}

void write_sensitivities_report(const std::filesystem::path& path, const ReportFacts& facts,
                                const std::vector<ExchangeRatio>& ratios) {
  studies::sensitivities_page(facts, ratios).write(path);
}

}  // namespace ascent::trim
