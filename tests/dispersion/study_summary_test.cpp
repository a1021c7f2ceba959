// The summary of a study against hand-made rows: quantiles of type 7, the
// moments, the cases by status, and failed cases as not met.
#include "studies/study_summary.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdint>
#include <numeric>

namespace ascent::studies {
namespace {

TEST(StudySummary, QuantilesInterpolateBetweenOrderStatistics) {
  std::vector<double> five{5.0, 3.0, 1.0, 4.0, 2.0};
  EXPECT_EQ(quantile(five, 0.5), 3.0);
  EXPECT_EQ(quantile(five, 0.25), 2.0);
  EXPECT_NEAR(quantile(five, 0.1), 1.4, 1e-15);
  EXPECT_EQ(quantile(five, 0.0), 1.0);
  EXPECT_EQ(quantile(five, 1.0), 5.0);
  std::vector<double> thousand(1000);
  std::iota(thousand.rbegin(), thousand.rend(), 0.0);
  EXPECT_NEAR(quantile(thousand, LOW_QUANTILE), 1.34865, 1e-12);
  EXPECT_NEAR(quantile(thousand, HIGH_QUANTILE), 997.65135, 1e-12);
  std::vector<double> none;
  EXPECT_TRUE(std::isnan(quantile(none, 0.5)));
}

/// Case k of a made-up study: in orbit with values that follow k, except
/// the cases listed as failed.
CaseResult made_up_case(std::size_t k, RowStatus status) {
  CaseResult c;
  c.k = k;
  c.status = status;
  c.flown = status == RowStatus::in_orbit || status == RowStatus::perigee_below_minimum ||
            status == RowStatus::short_of_propellant;
  const double x = static_cast<double>((k * 37) % 101);
  c.maxa = 15.0 + 0.01 * x;
  c.perigee = status == RowStatus::perigee_below_minimum ? -1000.0 : 150000.0 + 100.0 * x;
  c.apogee = 250000.0 - 100.0 * x;
  c.average_altitude = (c.perigee + c.apogee) / 2.0;
  c.remaining_propellant = status == RowStatus::short_of_propellant ? -50.0 : 300.0 - 7.0 * x;
  c.SC_M = 97000.0 + 3.0 * x;
  return c;
}

TEST(StudySummary, AgreesWithASimpleComputationOverTheRows) {
  std::vector<CaseResult> cases;
  for (std::size_t k = 0; k < 1000; ++k) {
    const RowStatus status = k == 10   ? RowStatus::out_of_reach
                             : k == 20 ? RowStatus::perigee_below_minimum
                             : k == 30 ? RowStatus::cannot_reach_orbit
                             : k == 40 ? RowStatus::short_of_propellant
                                       : RowStatus::in_orbit;
    cases.push_back(made_up_case(k, status));
  }
  const StudySummary s = summarize(cases);
  EXPECT_EQ(s.cases, 1000u);
  EXPECT_EQ(s.in_orbit, 996u);
  EXPECT_EQ(s.orbit_probability, 0.996);
  for (const RowStatus once : {RowStatus::out_of_reach, RowStatus::perigee_below_minimum,
                               RowStatus::cannot_reach_orbit, RowStatus::short_of_propellant}) {
    EXPECT_EQ(s.count(once), 1u) << row_status_name(once);
  }
  EXPECT_EQ(s.count(RowStatus::in_orbit), 996u);

  // The flown cases: all but the two that never reached separation.
  std::vector<double> perigee;
  for (const CaseResult& c : cases) {
    if (c.status != RowStatus::out_of_reach && c.status != RowStatus::cannot_reach_orbit) {
      perigee.push_back(c.perigee);
    }
  }
  const double n = static_cast<double>(perigee.size());
  double sum = 0.0;
  for (const double p : perigee) sum += p;
  const double mean = sum / n;
  double squares = 0.0;
  for (const double p : perigee) squares += (p - mean) * (p - mean);
  std::sort(perigee.begin(), perigee.end());
  EXPECT_EQ(s.perigee.count, perigee.size());
  EXPECT_NEAR(s.perigee.mean, mean, 1e-9);
  EXPECT_NEAR(s.perigee.standard_deviation, std::sqrt(squares / (n - 1.0)), 1e-9);
  // 998 values: h = 997 p.
  EXPECT_NEAR(s.perigee.low, perigee[1] + 0.34595 * (perigee[2] - perigee[1]), 1e-6);
  EXPECT_NEAR(s.perigee.median, (perigee[498] + perigee[499]) / 2.0, 1e-6);
  EXPECT_NEAR(s.perigee.high, perigee[995] + 0.65405 * (perigee[996] - perigee[995]), 1e-6);
  EXPECT_EQ(s.SC_M.count, 998u);

  // Met with 99.865 %: the four failed cases (two of them flown) sort first as not met, so the
  // 0.135 % quantile (between the second and third least) is not met either.
  EXPECT_EQ(s.SC_M_met, -INFINITY);
  EXPECT_EQ(flight_performance_reserve(s, 300.0), INFINITY);
}

TEST(StudySummary, OneFailureInAThousandIsStillCovered) {
  std::vector<CaseResult> cases;
  for (std::size_t k = 0; k < 1000; ++k) {
    cases.push_back(made_up_case(k, k == 500 ? RowStatus::flight_error : RowStatus::in_orbit));
  }
  const StudySummary s = summarize(cases);
  std::vector<double> remaining{-INFINITY};
  for (const CaseResult& c : cases) {
    if (c.in_orbit()) remaining.push_back(c.remaining_propellant);
  }
  std::sort(remaining.begin(), remaining.end());
  // h = 999 * 0.00135 = 1.34865: between the least and the next in orbit.
  const double expected = remaining[1] + 0.34865 * (remaining[2] - remaining[1]);
  EXPECT_NEAR(s.remaining_propellant_met, expected, 1e-9);
  EXPECT_NEAR(flight_performance_reserve(s, 300.0), 300.0 - expected, 1e-9);
  EXPECT_EQ(s.count(RowStatus::flight_error), 1u);
}

TEST(StudySummary, TheRubberTankCountsADeficitAndLeavesOutCasesThatReachNoOrbit) {
  std::vector<CaseResult> cases;
  std::vector<double> reaching;  // the remaining propellant of the cases reaching the orbit
  for (std::size_t k = 0; k < 500; ++k) {
    // Every tenth case short of propellant, by 1000 kg and more; two cases
    // that separated after skimming the atmosphere, with loads no flight has.
    const RowStatus status = k == 7 || k == 77          ? RowStatus::cannot_reach_orbit
                             : k % 10 == 3               ? RowStatus::short_of_propellant
                             : k == 99                   ? RowStatus::out_of_reach
                                                         : RowStatus::in_orbit;
    CaseResult c = made_up_case(k, status);
    c.max_q_alpha = 9000.0 + static_cast<double>(k);
    if (status == RowStatus::cannot_reach_orbit) {
      c.flown = true;  // separated, but given up
      c.max_q_alpha = 1.6e5;
    }
    if (status == RowStatus::short_of_propellant) {
      c.remaining_propellant = -1000.0 - 10.0 * static_cast<double>(k);
    }
    // The second parameter sets the propellant left, the first has no part.
    c.values = {static_cast<double>(k % 13), 0.5 - c.remaining_propellant / 1e4};
    if (status == RowStatus::in_orbit || status == RowStatus::short_of_propellant) {
      reaching.push_back(c.remaining_propellant);
    }
    cases.push_back(c);
  }
  const StudySummary s = summarize(cases);
  // The skimming cases set no load statistic.
  EXPECT_EQ(s.max_q_alpha.count, 497u);
  std::vector<double> flown_q_alpha;
  for (const CaseResult& c : cases) {
    if (c.flown && c.status != RowStatus::cannot_reach_orbit) flown_q_alpha.push_back(c.max_q_alpha);
  }
  EXPECT_EQ(s.max_q_alpha.high, quantile(flown_q_alpha, HIGH_QUANTILE));
  EXPECT_LT(s.max_q_alpha.high, 1e4);
  // The reserve is over the 497 reaching the orbit, the deficits among them.
  ASSERT_EQ(s.rubber_tank.count, reaching.size());
  EXPECT_EQ(s.orbit_probability_with_any_propellant, 497.0 / 500.0);
  std::sort(reaching.begin(), reaching.end());
  // h = 496 * 0.00135 = 0.6696: between the two largest deficits.
  const double low = reaching[0] + 0.6696 * (reaching[1] - reaching[0]);
  EXPECT_NEAR(s.rubber_tank.low, low, 1e-9);
  EXPECT_NEAR(rubber_tank_reserve(s, 300.0), 300.0 - low, 1e-9);
  EXPECT_NEAR(three_sigma_reserve(s, 300.0),
              300.0 - (s.rubber_tank.mean - 3.0 * s.rubber_tank.standard_deviation), 1e-9);
  // The second parameter drives the reserve, the first does not.
  ASSERT_EQ(s.rubber_tank_rank_correlation.size(), 2u);
  EXPECT_LT(s.rubber_tank_rank_correlation[1], -0.99);
  EXPECT_LT(std::fabs(s.rubber_tank_rank_correlation[0]), 0.2);
  // What is met counts every case not in orbit as failed: none covers them.
  EXPECT_EQ(flight_performance_reserve(s, 300.0), INFINITY);
}

TEST(StudySummary, TheLowestOfNCasesBoundsTheQuantileWithTheBinomialsConfidence) {
  // Drawn from a uniform distribution, the lowest of n lies below the 0.135 %
  // quantile as often as 1 - (1 - p)^n says: counted over many samples here.
  std::uint64_t state = 12345;
  const auto uniform = [&] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) * 0x1.0p-53;
  };
  for (const std::size_t n : {100u, 400u, 1000u}) {
    int below = 0;
    constexpr int SAMPLES = 4000;
    for (int sample = 0; sample < SAMPLES; ++sample) {
      double lowest = 1.0;
      for (std::size_t i = 0; i < n; ++i) lowest = std::min(lowest, uniform());
      if (lowest < LOW_QUANTILE) ++below;
    }
    const double p = lowest_case_confidence(n);
    EXPECT_NEAR(below / static_cast<double>(SAMPLES), p, 4.0 * std::sqrt(p * (1 - p) / SAMPLES))
        << n;
  }
  const std::size_t enough = cases_for_confidence(0.95);
  EXPECT_GE(lowest_case_confidence(enough), 0.95);
  EXPECT_LT(lowest_case_confidence(enough - 1), 0.95);
}

TEST(RowStatus, AFlightsStatusIsItsOutcomesWordAndEveryWordReadsBack) {
  for (std::size_t i = 0; i < OUTCOME_COUNT; ++i) {
    const auto outcome = static_cast<Outcome>(i);
    EXPECT_EQ(row_status_name(row_status(outcome)), outcome_name(outcome));
  }
  for (std::size_t i = 0; i < ROW_STATUS_COUNT; ++i) {
    const auto status = static_cast<RowStatus>(i);
    EXPECT_EQ(row_status_named(row_status_name(status)), status);
  }
  EXPECT_EQ(row_status_name(RowStatus::out_of_reach), "out_of_reach");
  EXPECT_EQ(row_status_name(RowStatus::flight_error), "flight_error");
  EXPECT_EQ(row_status_named("suborbital"), std::nullopt);
}

TEST(StudySummary, RankCorrelationsSayWhatDrivesThePayload) {
  // Ties share their average rank; a monotonic relation of any shape is 1.
  EXPECT_DOUBLE_EQ(rank_correlation({1, 2, 3, 4}, {1, 8, 27, 64}), 1.0);
  EXPECT_DOUBLE_EQ(rank_correlation({1, 2, 3, 4}, {9, 7, 7, 1}), -std::sqrt(0.9));
  EXPECT_TRUE(std::isnan(rank_correlation({1, 2}, {1, 2})));
  EXPECT_TRUE(std::isnan(rank_correlation({1, 1, 1}, {1, 2, 3})));

  // The payload falls with the first parameter alone; the second is noise
  // in a fixed pattern that does not follow it; only flown cases count.
  std::vector<CaseResult> cases;
  for (int i = 0; i < 40; ++i) {
    CaseResult c;
    c.flown = true;
    c.status = RowStatus::in_orbit;
    c.values = {static_cast<double>(i), static_cast<double>((i * 7) % 11)};
    c.SC_M = 98000.0 - 3.0 * i;
    cases.push_back(c);
  }
  CaseResult failed;
  failed.values = {100.0, 0.0};
  cases.push_back(failed);
  const StudySummary s = summarize(cases);
  ASSERT_EQ(s.SC_M_rank_correlation.size(), 2u);
  EXPECT_DOUBLE_EQ(s.SC_M_rank_correlation[0], -1.0);
  EXPECT_LT(std::fabs(s.SC_M_rank_correlation[1]), 0.3);
}

}  // namespace
}  // namespace ascent::studies
