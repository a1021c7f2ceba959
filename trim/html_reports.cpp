#include "trim/html_reports.hpp"

#include <limits>

#include "studies/study_charts.hpp"
#include "text/html_report.hpp"

namespace ascent::trim {

namespace {

constexpr double NONE = std::numeric_limits<double>::quiet_NaN();

/// The page's opening: what was run, then the table the command printed.
HtmlReport opened(const std::string& title, const ReportFacts& facts, const std::string& table) {
  HtmlReport page(title);
  page.add_heading("What was run");
  page.add_facts(facts);
  page.add_heading("Results");
  page.add_preformatted(table);
  page.add_heading("Figures");
  return page;
}

}  // namespace

void write_sweep_report(const std::filesystem::path& path, const ReportFacts& facts,
                        const std::vector<SweepRow>& rows, const std::string& table) {
  report::SweepColumns columns;
  for (const SweepRow& row : rows) {
    const bool flown = row.trimmed() && row.flight.separated;
    columns.turn_time.push_back(row.turn_time.value);
    columns.maxa.push_back(flown ? row.maxa.value : NONE);
    columns.perigee.push_back(flown ? row.flight.perigee : NONE);
    columns.apogee.push_back(flown ? row.flight.apogee : NONE);
    columns.remaining_propellant.push_back(flown ? row.flight.remaining_propellant : NONE);
    columns.sc_mass.push_back(flown ? row.flight.SC_M : NONE);
  }
  HtmlReport page = opened("Sweep of turn times", facts, table);
  for (const Chart& chart : report::sweep_charts(columns)) page.add_chart(chart);
  page.write(path);
}

void write_dispersion_report(const std::filesystem::path& path, const ReportFacts& facts,
                             const dispersion::StudySpec& study,
                             const std::vector<dispersion::CaseResult>& cases,
                             const dispersion::StudySummary& summary, const std::string& table) {
  report::DispersionColumns columns;
  for (const dispersion::Dispersion& d : study.dispersions.entries()) {
    columns.parameter_names.push_back(d.name);
  }
  columns.parameters.resize(columns.parameter_names.size());
  for (const dispersion::CaseResult& c : cases) {
    columns.perigee.push_back(c.flown ? c.perigee : NONE);
    columns.apogee.push_back(c.flown ? c.apogee : NONE);
    columns.remaining_propellant.push_back(c.flown ? c.remaining_propellant : NONE);
    columns.sc_mass.push_back(c.flown ? c.SC_M : NONE);
    columns.maxa.push_back(c.flown ? c.maxa : NONE);
    for (std::size_t i = 0; i < columns.parameters.size(); ++i) {
      columns.parameters[i].push_back(i < c.values.size() ? c.values[i] : NONE);
    }
  }
  columns.nominal_remaining_propellant = study.nominal_flight.remaining_propellant;
  columns.remaining_propellant_met = summary.remaining_propellant_met;
  HtmlReport page = opened("Dispersion study", facts, table);
  for (const Chart& chart : report::dispersion_charts(columns)) page.add_chart(chart);
  page.write(path);
}

void write_optimum_page(const std::filesystem::path& path, const ReportFacts& facts,
                        const std::string& table, const FlightRecorder* best_flight) {
  HtmlReport page = opened("Payload optimisation", facts, table);
  if (best_flight != nullptr) {
    report::FlightColumns flight;
    // The search steps go back in time: the figures follow the flight's path.
    for (const StepRecord& step : best_flight->steps()) {
      if (step.search_step) continue;
      flight.t.push_back(step.t);
      flight.altitude.push_back(step.h0);
      flight.speed.push_back(step.vi);
      flight.Pq.push_back(step.Pq);
      flight.acceleration.push_back(step.a);
    }
    for (const EventRecord& event : best_flight->events()) {
      if (event.name != "liftoff") flight.events.push_back({event.t, event.name});
    }
    for (const Chart& chart : report::flight_charts(flight)) page.add_chart(chart);
  }
  page.write(path);
}

}  // namespace ascent::trim
