#include "studies/report_pages.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "studies/study_summary.hpp"

namespace ascent::studies {

namespace {

using Row = std::vector<std::string>;

/// `value` with `decimals` decimals; "" when it is not a number.
std::string fixed(double value, int decimals) {
  if (!std::isfinite(value)) return "";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string with_unit(double value, int decimals, const std::string& unit) {
  const std::string number = fixed(value, decimals);
  return number.empty() ? "-" : number + " " + unit;
}

/// Six significant digits: exchange ratios span kg per newton to kg per kg.
std::string significant(double value) {
  if (!std::isfinite(value)) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

std::string percent(double fraction) { return fixed(100.0 * fraction, 3) + " %"; }

HtmlReport opened(const std::string& title, const Facts& run) {
  HtmlReport page(title);
  page.add_heading("What was run");
  page.add_facts(run);
  page.add_heading("Results");
  return page;
}

void add_charts(HtmlReport& page, const std::vector<Chart>& charts) {
  page.add_heading("Figures");
  for (const Chart& chart : charts) page.add_chart(chart);
}

}  // namespace

HtmlReport flight_page(const std::string& title, const Facts& run, const Facts& results,
                       const FlightRecorder* flight) {
  HtmlReport page = opened(title, run);
  if (!results.empty()) page.add_facts(results);
  if (flight == nullptr) return page;
  const std::vector<EventRecord> events = flight->events();
  std::vector<Row> rows;
  for (const EventRecord& e : events) {
    rows.push_back({e.name, fixed(e.t, 2), fixed(e.h0 / 1000.0, 3), fixed(e.vi, 1),
                    fixed(e.beta, 2), fixed(e.theta, 2), fixed(e.Pq / 1000.0, 3),
                    fixed(e.mass, 0)});
  }
  page.add_table({"event", "t [s]", "h0 [km]", "vi [m/s]", "beta [deg]", "theta [deg]",
                  "Pq [kPa]", "mass [kg]"},
                 rows);
  if (flight->steps().empty()) return page;
  FlightColumns columns;
  // The search steps go back in time: the figures follow the flight's path.
  for (const StepRecord& step : flight->steps()) {
    if (step.search_step) continue;
    columns.t.push_back(step.t);
    columns.altitude.push_back(step.h0);
    columns.speed.push_back(step.vi);
    columns.Pq.push_back(step.Pq);
    columns.acceleration.push_back(step.a);
  }
  for (const EventRecord& e : events) {
    if (e.name != "liftoff") columns.events.push_back({e.t, e.name});
  }
  add_charts(page, flight_charts(columns));
  return page;
}

Facts trim_facts(const TrimResult& r) {
  const FlightOutcome& f = r.flight;
  Facts facts{{"turn time", r.turn_time.text + " s"},
              {r.trimmed() ? "trimmed maxa" : "maxa of the closest flight", r.maxa.text + " deg"},
              {"outcome", std::string(row_status_name(status_of(r.status, f)))}};
  if (!r.message.empty()) facts.emplace_back("why not in orbit", r.message);
  if (f.above_surface) {
    facts.insert(facts.end(),
                 {{"perigee", with_unit(f.perigee / 1000.0, 3, "km")},
                  {"apogee", with_unit(f.apogee / 1000.0, 3, "km")},
                  {"average altitude", with_unit(f.average_altitude / 1000.0, 3, "km")},
                  {"remaining propellant", with_unit(f.remaining_propellant, 0, "kg")},
                  {"spacecraft mass SC_M", with_unit(f.SC_M, 0, "kg")}});
  }
  facts.insert(facts.end(),
               {{"maximum dynamic pressure",
                 with_unit(f.loads.dynamic_pressure, 0, "Pa at ") +
                     fixed(f.loads.dynamic_pressure_time, 2) + " s"},
                {"maximum q*alpha",
                 with_unit(f.loads.q_alpha, 0, "Pa*deg at ") + fixed(f.loads.q_alpha_time, 2) + " s"},
                {"maximum axial acceleration", with_unit(f.loads.acceleration, 2, "m/s^2 at ") +
                                                   fixed(f.loads.acceleration_time, 2) + " s"},
                {"flights", std::to_string(r.flights.size())}});
  return facts;
}

Facts target_facts(const TargetResult& r) {
  Facts facts{{"turn time", r.turn_time.text + " s"},
              {"orbit aimed at", fixed(r.target_perigee / 1000.0, 3) + " x " +
                                     fixed(r.target_apogee / 1000.0, 3) + " km"},
              {r.maxa_trimmed ? "trimmed maxa of the core stage" : "maxa of the core stage",
               r.maxa.text.empty() ? "-" : r.maxa.text + " deg"},
              {"outcome", std::string(row_status_name(r.status))}};
  if (!r.reason.empty()) facts.emplace_back("why not in orbit", r.reason);
  if (r.reached_orbit()) {
    const FlightResult& f = r.flight;
    facts.insert(facts.end(), {{"perigee", with_unit(f.orbit.perigee / 1000.0, 3, "km")},
                               {"apogee", with_unit(f.orbit.apogee / 1000.0, 3, "km")},
                               {"remaining propellant", with_unit(f.remaining_propellant, 0, "kg")},
                               {"spacecraft mass SC_M", with_unit(f.budget.SC_M, 0, "kg")}});
  }
  facts.emplace_back("flights", std::to_string(r.flights));
  return facts;
}

Facts optimum_facts(const OptimizeResult& r) {
  if (!r.best) {
    return {{"plan", "none keeps to the limits with a flight in orbit"},
            {"trims", std::to_string(r.trims.size())},
            {"flights of the search", std::to_string(r.flights)}};
  }
  Facts facts = trim_facts(*r.best);
  std::string active;
  for (const Constraint c : r.active) {
    if (!active.empty()) active += ", ";
    active += constraint_name(c);
  }
  facts.insert(facts.end(),
               {{"unrounded SC_M", with_unit(r.best->flight.SC_M_unrounded, 3, "kg")},
                {"active constraints", active.empty() ? "none" : active},
                {"trims", std::to_string(r.trims.size())},
                {"flights of the search", std::to_string(r.flights)}});
  return facts;
}

HtmlReport sweep_page(const Facts& run, const SweepColumns& s) {
  HtmlReport page = opened("Sweep of turn times", run);
  const std::size_t rows_count = s.turn_time.size();
  if (const std::optional<std::size_t> best = s.best()) {
    std::string text = "Largest payload in orbit: SC_M " + fixed(s.sc_mass[*best], 0) +
                       " kg at turn time " + significant(s.turn_time[*best]) + " s (maxa " +
                       fixed(s.maxa[*best], 6) + " deg)";
    if (rows_count > 1 && *best + 1 == rows_count) text += ", the last turn time swept";
    if (rows_count > 1 && *best == 0) text += ", the first turn time swept";
    page.add_paragraph(text + ".");
  } else {
    page.add_paragraph("No turn time could be trimmed to a flight in orbit.");
  }
  const auto at = [](const std::vector<double>& column, std::size_t i) {
    return i < column.size() ? column[i] : std::nan("");
  };
  std::vector<Row> rows;
  for (std::size_t i = 0; i < rows_count; ++i) {
    std::string status = i < s.status.size() ? s.status[i] : "";
    if (i < s.message.size() && !s.message[i].empty()) status += ": " + s.message[i];
    rows.push_back({significant(s.turn_time[i]), fixed(at(s.maxa, i), 6),
                    fixed(at(s.perigee, i) / 1000.0, 3), fixed(at(s.apogee, i) / 1000.0, 3),
                    fixed(at(s.average_altitude, i) / 1000.0, 3),
                    fixed(at(s.remaining_propellant, i), 0), fixed(at(s.sc_mass, i), 0),
                    fixed(at(s.max_dynamic_pressure, i) / 1000.0, 2),
                    fixed(at(s.max_q_alpha, i), 0), fixed(at(s.max_acceleration, i), 2),
                    fixed(at(s.flights, i), 0), status});
  }
  page.add_table({"turn time [s]", "maxa [deg]", "perigee [km]", "apogee [km]",
                  "average altitude [km]", "remaining propellant [kg]", "SC_M [kg]",
                  "max Pq [kPa]", "max q*alpha [Pa*deg]", "max a [m/s^2]", "flights", "status"},
                 rows);
  add_charts(page, sweep_charts(s));
  return page;
}

std::string loop_words(LoopMode mode) {
  switch (mode) {
    case LoopMode::open:
      return "open loop: every case flies the nominal angle";
    case LoopMode::closed:
      return "closed loop: every case trimmed to the target";
    case LoopMode::guided:
      return "guided: every case flies the nominal angle, the upper stage guided to the target "
             "orbit";
  }
  return "";
}

namespace {

Row statistics_row(const std::string& name, const std::string& unit, const Statistics& s,
                   double scale, int decimals) {
  return {name,
          unit,
          std::to_string(s.count),
          fixed(s.mean / scale, decimals),
          fixed(s.standard_deviation / scale, decimals),
          fixed(s.low / scale, decimals),
          fixed(s.median / scale, decimals),
          fixed(s.high / scale, decimals)};
}

}  // namespace

HtmlReport study_page(const Facts& run, const StudyPage& study) {
  const bool guided = study.mode == LoopMode::guided;
  const StudySummary s = summarize(study.cases, guided ? &study.target : nullptr);
  Facts what = run;
  what.emplace_back("cases flown", loop_words(study.mode));
  HtmlReport page = opened("Dispersion study", what);

  Facts results{{"cases", std::to_string(s.cases)},
                {"in orbit", std::to_string(s.in_orbit) + " (" + percent(s.orbit_probability) + ")"}};
  for (std::size_t i = 0; i < ROW_STATUS_COUNT; ++i) {
    const auto status = static_cast<RowStatus>(i);
    if (status != RowStatus::in_orbit && s.count(status) > 0) {
      results.emplace_back(std::string(row_status_name(status)), std::to_string(s.count(status)));
    }
  }
  if (guided) {
    results.emplace_back("within " + fixed(ON_TARGET / 1000.0, 0) + " km of both target apsides (" +
                             fixed(study.target.perigee_altitude() / 1000.0, 3) + " x " +
                             fixed(study.target.apogee_altitude() / 1000.0, 3) + " km)",
                         std::to_string(s.near_target) + " of " + std::to_string(s.SC_M.count));
  }
  results.insert(results.end(),
                 {{"nominal maxa", fixed(study.nominal_maxa, 6) + " deg"},
                  {"nominal remaining propellant",
                   with_unit(study.nominal_remaining_propellant, 0, "kg")},
                  {"nominal SC_M", with_unit(study.nominal_sc_mass, 0, "kg")}});
  // What covers 99.865 % of the cases, a case not in orbit uncovered; or why nothing does.
  const double reserve = flight_performance_reserve(s, study.nominal_remaining_propellant);
  if (std::isfinite(reserve)) {
    results.insert(results.end(),
                   {{"flight performance reserve (met with 99.865 %)", with_unit(reserve, 0, "kg")},
                    {"remaining propellant, 0.135 % quantile",
                     with_unit(s.remaining_propellant_met, 0, "kg")},
                    {"SC_M met with 99.865 %", with_unit(s.SC_M_met, 0, "kg")}});
  } else {
    results.emplace_back("flight performance reserve", "none: " + std::string(NO_RESERVE));
  }
  page.add_facts(results);

  page.add_paragraph("Over the " + std::to_string(s.SC_M.count) +
                     " cases flown to separation (low and high: the 0.135 % and 99.865 % "
                     "quantiles):");
  page.add_table({"quantity", "unit", "cases", "mean", "standard deviation", "0.135 % quantile",
                  "median", "99.865 % quantile"},
                 {statistics_row("maxa", "deg", s.maxa, 1.0, 3),
                  statistics_row("perigee", "km", s.perigee, 1000.0, 3),
                  statistics_row("apogee", "km", s.apogee, 1000.0, 3),
                  statistics_row("average altitude", "km", s.average_altitude, 1000.0, 3),
                  statistics_row("remaining propellant", "kg", s.remaining_propellant, 1.0, 0),
                  statistics_row("SC_M", "kg", s.SC_M, 1.0, 0),
                  statistics_row("max Pq", "kPa", s.max_dynamic_pressure, 1000.0, 3),
                  statistics_row("max q*alpha", "Pa*deg", s.max_q_alpha, 1.0, 0),
                  statistics_row("max a", "m/s^2", s.max_acceleration, 1.0, 3)});

  // What drives the payload, one ranking for the table and the chart.
  DispersionColumns columns;
  std::vector<std::size_t> order(std::min(study.parameter_names.size(),
                                          s.SC_M_rank_correlation.size()));
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::erase_if(order, [&](std::size_t j) { return !std::isfinite(s.SC_M_rank_correlation[j]); });
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return std::fabs(s.SC_M_rank_correlation[a]) > std::fabs(s.SC_M_rank_correlation[b]);
  });
  std::vector<Row> drivers;
  for (const std::size_t j : order) {
    const std::string& name = study.parameter_names[j];
    columns.driver_names.push_back(name);
    columns.drivers.push_back(s.SC_M_rank_correlation[j]);
    drivers.push_back(
        {name, fixed(s.SC_M_rank_correlation[j], 3), std::string(ratio_caveat(name))});
  }
  if (!drivers.empty()) {
    page.add_paragraph(
        "What drives SC_M: the Spearman rank correlation of each dispersed parameter with SC_M "
        "over the cases flown to separation, the strongest first.");
    page.add_table({"parameter", "rank correlation with SC_M", "note"}, drivers);
  }

  for (const CaseResult& c : study.cases) {
    const double none = std::nan("");
    columns.perigee.push_back(c.flown ? c.perigee : none);
    columns.apogee.push_back(c.flown ? c.apogee : none);
    columns.remaining_propellant.push_back(c.flown ? c.remaining_propellant : none);
    columns.sc_mass.push_back(c.flown ? c.SC_M : none);
    columns.status.emplace_back(row_status_name(c.status));
  }
  columns.nominal_remaining_propellant = study.nominal_remaining_propellant;
  columns.remaining_propellant_met = s.remaining_propellant_met;
  add_charts(page, dispersion_charts(columns));
  if (study.impacts) page.add_chart(ground_track_chart(*study.impacts));
  return page;
}

HtmlReport sensitivities_page(const Facts& run, const std::vector<ExchangeRatio>& ratios) {
  HtmlReport page = opened("Exchange ratios", run);
  page.add_paragraph(
      "d(SC_M)/d(field) from the unrounded SC_M of flights re-trimmed to the target with each "
      "field a step either side, ranked by what 1 % more of the field gives: the ratios "
      "themselves are in mixed units.");
  std::vector<Row> rows;
  Chart chart{ChartKind::bars, "What 1 % more of a field gives", "SC_M change [kg]", "", {{}}, {},
              {}};
  for (const ExchangeRatio& r : ratios) {
    const std::string name = r.field->name();
    std::string note(ratio_caveat(name));
    if (!r.message.empty()) note = r.message;
    rows.push_back({name, significant(r.value), std::string(r.field->unit), significant(r.step),
                    r.central ? "central" : "one-sided", significant(r.ratio),
                    significant(r.per_percent()), note});
    // The chart shows the largest effects; the table has them all.
    constexpr std::size_t CHARTED = 12;
    if (std::isfinite(r.ratio) && chart.categories.size() < CHARTED) {
      chart.categories.push_back(name);
      chart.series.front().y.push_back(r.per_percent());
    }
  }
  page.add_table({"field", "value", "unit", "step", "difference", "ratio [kg per unit]",
                  "1 % more [kg]", "note"},
                 rows);
  add_charts(page, {chart});
  return page;
}

}  // namespace ascent::studies
