// Studies: neutral draws fly the nominal flight, the air-model scales act,
// the same rows on any number of threads and in any order, and a small
// closed-loop study with its reserve.
#include "studies/study.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <stdexcept>

#include "studies/dispersion_file.hpp"
#include "trim/study_reports.hpp"
#include "studies/study_summary.hpp"

namespace ascent::studies {
namespace {

studies::TrimSettings sample_settings() {
  studies::TrimSettings settings;
  settings.thrust = ThrustHistory::read(ASCENT_SAMPLE_THRUST);
  return settings;
}

const studies::TypedNumber& turn_time_20() {
  static const studies::TypedNumber t = *studies::typed_number("20");
  return t;
}

std::string csv_row(const CaseResult& result) {
  std::ostringstream out;
  trim::write_case_csv_row(out, result);
  return out.str();
}

TEST(Study, NeutralDrawsFlyTheNominalFlightBitForBit) {
  const DispersionSet neutral = parse_dispersion_set(R"(
[core]
thrust = { sigma_relative = 0 }
[upper_stage]
dry_mass = { uniform = [0, 0] }
[scales]
booster_thrust = { sigma = 0 }
drag = { sigma = 0 }
density = { uniform = [0, 0] }
)",
                                                     "neutral");
  for (const LoopMode mode : {LoopMode::open, LoopMode::closed}) {
    const StudySpec setup = prepare_study(sample_settings(), turn_time_20(), neutral, mode);
    const CaseResult c = fly_case(setup, 5, 3);
    const Vehicle v;
    EXPECT_EQ(c.values,
              (std::vector<double>{v.core.thrust, v.upper_stage.dry_mass, 1.0, 1.0, 1.0}));
    ASSERT_TRUE(c.in_orbit()) << c.message;
    EXPECT_EQ(c.flights, 1);  // closed loop: the nominal angle is trimmed already
    const studies::FlightOutcome& nominal = setup.nominal_flight;
    EXPECT_EQ(c.maxa, setup.nominal_maxa.value);
    EXPECT_EQ(c.perigee, nominal.perigee);
    EXPECT_EQ(c.apogee, nominal.apogee);
    EXPECT_EQ(c.average_altitude, nominal.average_altitude);
    EXPECT_EQ(c.remaining_propellant, nominal.remaining_propellant);
    EXPECT_EQ(c.SC_M, nominal.SC_M);
  }
}

TEST(Study, AirModelScalesActOnTheFlight) {
  const ThrustHistory thrust = ThrustHistory::read(ASCENT_SAMPLE_THRUST);
  const Vehicle vehicle;
  FlightPlan plan;
  const FlightResult nominal = fly(vehicle, thrust, plan);
  plan.aero.density = 1.1;
  const double q_ratio =
      fly(vehicle, thrust, plan).maxima.dynamic_pressure / nominal.maxima.dynamic_pressure;
  EXPECT_GT(q_ratio, 1.05);
  EXPECT_LT(q_ratio, 1.15);
  plan.aero = {0.0, 1.0};  // no drag: more of the energy goes into the orbit
  EXPECT_GT(fly(vehicle, thrust, plan).orbit.average_altitude, nominal.orbit.average_altitude);
  plan.aero = {-0.1, 1.0};
  EXPECT_THROW((void)fly(vehicle, thrust, plan), InputError);
  plan.aero = {1.0, INFINITY};
  EXPECT_THROW((void)fly(vehicle, thrust, plan), InputError);
}

TEST(Study, TheSameRowsOnAnyThreadsAndInAnyOrder) {
  const StudySpec setup =
      prepare_study(sample_settings(), turn_time_20(), default_dispersion_set(), LoopMode::open);
  constexpr std::size_t CASES = 12;
  const auto study_rows = [&](unsigned threads) {
    std::vector<std::string> rows;
    std::vector<std::size_t> reported;
    run_study(
        setup, 77, CASES, threads,
        [&](const CaseResult& c) {
          EXPECT_EQ(c.k, rows.size());  // in case order
          rows.push_back(csv_row(c));
        },
        [&](std::size_t done, std::size_t total) {
          EXPECT_EQ(total, CASES);
          reported.push_back(done);
        });
    EXPECT_EQ(reported.size(), CASES);
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    return rows;
  };
  const std::vector<std::string> one = study_rows(1);
  const std::vector<std::string> two = study_rows(2);
  std::vector<std::string> reversed(CASES);
  for (std::size_t k = CASES; k-- > 0;) reversed[k] = csv_row(fly_case(setup, 77, k));
  ASSERT_EQ(one.size(), CASES);
  EXPECT_EQ(one, two);
  EXPECT_EQ(one, reversed);
  // Different cases draw differently.
  EXPECT_NE(one[0].substr(one[0].find(',', 2)), one[1].substr(one[1].find(',', 2)));
}

TEST(Study, AFailingSinkStopsTheStudy) {
  const StudySpec setup =
      prepare_study(sample_settings(), turn_time_20(), default_dispersion_set(), LoopMode::open);
  std::size_t handed = 0;
  EXPECT_THROW(run_study(setup, 1, 50, 2,
                         [&](const CaseResult&) {
                           if (++handed == 2) throw std::runtime_error("disk full");
                         }),
               std::runtime_error);
  EXPECT_EQ(handed, 2u);
}

TEST(Study, ClosedLoopStudyGivesASensibleReserve) {
  const DispersionSet set = parse_dispersion_set(R"(
[core]
thrust = { sigma_relative = 0.005 }
exhaust_velocity = { sigma_relative = 0.002 }
[upper_stage]
exhaust_velocity = { sigma_relative = 0.0015 }
dry_mass = { sigma_relative = 0.01 }
[scales]
drag = { sigma = 0.05 }
density = { sigma = 0.03 }
)",
                                                 "small");
  const studies::TrimSettings settings = sample_settings();
  const StudySpec setup = prepare_study(settings, turn_time_20(), set, LoopMode::closed);
  std::vector<CaseResult> cases;
  run_study(setup, 1, 20, 0, [&](const CaseResult& c) { cases.push_back(c); });
  ASSERT_EQ(cases.size(), 20u);

  // Every case is trimmed; some need more upper-stage propellant than the
  // stage holds, which no reserve covers.
  std::size_t short_of_propellant = 0;
  for (const CaseResult& c : cases) {
    EXPECT_LE(std::abs(c.average_altitude - settings.target_altitude()), settings.tolerance);
    EXPECT_EQ(c.status, c.remaining_propellant >= 0.0 ? RowStatus::in_orbit
                                                      : RowStatus::short_of_propellant)
        << c.k;
    if (c.status == RowStatus::short_of_propellant) ++short_of_propellant;
  }
  EXPECT_GT(short_of_propellant, 0u);
  EXPECT_LT(short_of_propellant, 10u);
  EXPECT_EQ(summarize(cases).remaining_propellant_met, -INFINITY);
  // The cases in orbit alone are covered.
  std::erase_if(cases, [](const CaseResult& c) { return !c.in_orbit(); });
  std::vector<double> remaining;
  for (const CaseResult& c : cases) remaining.push_back(c.remaining_propellant);
  const StudySummary summary = summarize(cases);
  EXPECT_EQ(summary.orbit_probability, 1.0);
  // n cases: the 0.135 % quantile lies (n - 1) 0.00135 of the way from the least to the next.
  std::sort(remaining.begin(), remaining.end());
  const double h = static_cast<double>(remaining.size() - 1) * 0.00135;
  const double expected_low = remaining[0] + h * (remaining[1] - remaining[0]);
  EXPECT_NEAR(summary.remaining_propellant_met, expected_low, 1e-9);
  const double reserve =
      flight_performance_reserve(summary, setup.nominal_flight.remaining_propellant);
  EXPECT_EQ(reserve, setup.nominal_flight.remaining_propellant - expected_low);
  // Some cases need more propellant than the nominal: a positive reserve,
  // of the order of the spread of the remaining propellant.
  EXPECT_GT(reserve, 0.0);
  EXPECT_LT(reserve, 4.0 * summary.remaining_propellant.standard_deviation + 100.0);
  EXPECT_LT(summary.SC_M_met, summary.SC_M.median);
}

}  // namespace
}  // namespace ascent::studies

namespace ascent::studies {
namespace {

TEST(Study, GuidedCasesFlyTheNominalAngleToTheTargetOrbit) {
  const StudySpec setup =
      prepare_study(sample_settings(), turn_time_20(), default_dispersion_set(), LoopMode::guided);
  std::vector<CaseResult> cases;
  run_study(setup, 3, 40, 2, [&](const CaseResult& c) { cases.push_back(c); });
  std::size_t flown = 0;
  for (const CaseResult& c : cases) {
    EXPECT_EQ(c.flights, 1);
    EXPECT_EQ(c.maxa, setup.nominal_maxa.value);
    // A stage that skimmed the atmosphere separated, but is no flight to count.
    if (!counts_as_flown(c)) continue;
    ++flown;
    EXPECT_NEAR(c.perigee, 200e3, ON_TARGET) << c.k;
    EXPECT_NEAR(c.apogee, 200e3, ON_TARGET) << c.k;
  }
  EXPECT_GT(flown, 30u);
  const TargetOrbit& target = setup.nominal.vehicle.target;
  EXPECT_EQ(summarize(cases, &target).near_target, flown);
  EXPECT_EQ(summarize(cases).near_target, 0u);
}

}  // namespace
}  // namespace ascent::studies
