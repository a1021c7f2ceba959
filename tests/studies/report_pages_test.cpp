// The pages of a report as every client gets them: rows not in orbit drawn
// apart from those in orbit, the best marked among those in orbit only,
// each apsis in bins of its own, one ranking of what drives the payload with
// its measure named, and units and quantiles named in the tables.
#include "studies/report_pages.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "mission/vehicle_fields.hpp"

namespace ascent::testing {

using studies::RowStatus;

namespace {

constexpr double GAP = NAN;

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

studies::SweepColumns three_turn_times() {
  studies::SweepColumns s;
  s.turn_time = {10, 20, 30};
  s.maxa = {16, 17, 18};
  s.perigee = {150e3, 160e3, 170e3};
  s.apogee = {250e3, 240e3, 230e3};
  s.average_altitude = {200e3, 200e3, 200e3};
  s.remaining_propellant = {100, -300, 200};
  // The largest payload is not in orbit: short of propellant.
  s.sc_mass = {97000, 98000, 97500};
  s.max_dynamic_pressure = {26000, 26000, 26000};
  s.max_q_alpha = {5000, 6000, 7000};
  s.max_acceleration = {33.6, 33.6, 33.6};
  s.flights = {6, 7, 5};
  s.status = {"in_orbit", "short_of_propellant", "in_orbit"};
  s.message = {"", "the upper stage needs 300 kg more propellant than it holds", ""};
  return s;
}

TEST(ReportPages, ASweepDrawsRowsNotInOrbitApartAndMarksTheBestInOrbit) {
  const studies::SweepColumns s = three_turn_times();
  ASSERT_EQ(s.best(), 2u);
  const std::vector<Chart> charts = studies::sweep_charts(s);
  ASSERT_FALSE(charts.empty());
  const Chart& payload = charts.front();
  ASSERT_EQ(payload.series.size(), 2u);
  EXPECT_EQ(payload.series[0].y[0], 97000);
  EXPECT_TRUE(std::isnan(payload.series[0].y[1]));
  EXPECT_EQ(payload.series[1].y[1], 98000) << "drawn, as not in orbit";
  EXPECT_TRUE(std::isnan(payload.series[1].y[2]));
  ASSERT_EQ(payload.marks.size(), 1u);
  EXPECT_EQ(payload.marks[0].x, 30);

  const std::string html = studies::sweep_page({{"command", "sweep"}}, s).page();
  EXPECT_NE(html.find("Largest payload in orbit: SC_M 97500 kg at turn time 30 s"),
            std::string::npos);
  EXPECT_NE(html.find("short_of_propellant: the upper stage needs 300 kg more"), std::string::npos);
  EXPECT_NE(html.find("<th>SC_M [kg]</th>"), std::string::npos);
  EXPECT_EQ(html.find("<pre>"), std::string::npos) << "a table, not text a scroll bar hides";
}

studies::CaseResult a_case(RowStatus status, double x) {
  studies::CaseResult c;
  c.status = status;
  c.flown = status != RowStatus::out_of_reach;
  c.maxa = 18.0;
  // Perigee and apogee far apart, each with a spread of its own.
  c.perigee = 185e3 + 10.0 * x;
  c.apogee = 400e3 - 20.0 * x;
  c.average_altitude = (c.perigee + c.apogee) / 2;
  c.remaining_propellant = 500.0 + 3.0 * x;
  c.SC_M = 97000.0 - 2.0 * x;
  c.max_dynamic_pressure = 26000.0;
  c.max_q_alpha = 7000.0;
  c.max_acceleration = 33.6;
  // The first parameter drives SC_M down, the second hardly.
  c.values = {x, std::fmod(x * 7.0, 5.0)};
  return c;
}

TEST(ReportPages, AGuidedStudySaysSoWithItsUnitsQuantilesAndOneRankingOfItsDrivers) {
  studies::StudyPage study;
  study.mode = studies::LoopMode::guided;
  study.parameter_names = {"core.dry_mass", "scales.drag"};
  for (int k = 0; k < 40; ++k) study.cases.push_back(a_case(RowStatus::in_orbit, k));
  study.cases.push_back(a_case(RowStatus::out_of_reach, 0));
  study.nominal_remaining_propellant = 560.0;
  study.nominal_sc_mass = 96960.0;
  study.target.perigee = 185e3;
  study.target.apogee = 400e3;
  const std::string html = studies::study_page({{"command", "dispersions"}}, study).page();
  EXPECT_NE(html.find("guided: every case flies the nominal angle"), std::string::npos);
  for (const char* header : {"<th>unit</th>", "<th>0.135 % quantile</th>",
                             "<th>99.865 % quantile</th>"}) {
    EXPECT_NE(html.find(header), std::string::npos) << header;
  }
  EXPECT_NE(html.find("<td>perigee</td><td>km</td>"), std::string::npos);
  // A case in 41 failed: more than 0.135 %, so nothing is met, and the page says why.
  EXPECT_NE(html.find("none: the 0.135 % quantile falls on a failed case"), std::string::npos);
  // Perigee and apogee each get bins of their own.
  EXPECT_NE(html.find("aria-label=\"Perigee\""), std::string::npos);
  EXPECT_NE(html.find("aria-label=\"Apogee\""), std::string::npos);
  // One ranking, its measure named in the table and on the chart.
  EXPECT_NE(html.find("rank correlation with SC_M"), std::string::npos);
  EXPECT_NE(html.find("Spearman rank correlation with SC_M"), std::string::npos);
  EXPECT_EQ(count(html, "What drives the remaining propellant"), 0u);
  const std::size_t table = html.find("<td>core.dry_mass</td><td class=\"n\">-1.000</td>");
  ASSERT_NE(table, std::string::npos) << "SC_M falls with every draw of the first";
  EXPECT_LT(table, html.find("<td>scales.drag</td>")) << "the strongest first";
}

TEST(ReportPages, ExchangeRatiosKeepTheirRankingAndSayWhyTheBoostersReadBackwards) {
  std::vector<studies::ExchangeRatio> ratios{
      {find_vehicle_field("core.exhaust_velocity"), 4420.8, 4.4208, true, 48.9, ""},
      {find_vehicle_field("boosters.propellant"), 632489.0, 632.489, true, -0.155, ""}};
  const std::string html = studies::sensitivities_page({}, ratios).page();
  const std::size_t core = html.find("<td>core.exhaust_velocity</td>");
  const std::size_t booster = html.find("<td>boosters.propellant</td>");
  ASSERT_NE(core, std::string::npos);
  ASSERT_NE(booster, std::string::npos);
  EXPECT_LT(core, booster);
  EXPECT_NE(html.find("The thrust file fixes the booster", booster), std::string::npos);
  // 1 % more of 4420.8 m/s at 48.9 kg per m/s.
  EXPECT_NE(html.find("<td class=\"n\">2161.77</td>"), std::string::npos);
}

}  // namespace
}  // namespace ascent::testing
