#include "studies/study_summary.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/real.hpp"

namespace ascent::studies {

namespace {

constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();
constexpr double NOT_MET = -std::numeric_limits<double>::infinity();

/// The rank of each value, from 1; equal values share their average rank.
std::vector<Extended> ranks(const std::vector<double>& values) {
  std::vector<std::size_t> order(values.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });
  std::vector<Extended> rank(values.size());
  for (std::size_t first = 0; first < order.size();) {
    std::size_t last = first + 1;
    while (last < order.size() && values[order[last]] == values[order[first]]) ++last;
    const Extended shared = static_cast<Extended>(first + last + 1) / 2.0L;
    for (std::size_t i = first; i < last; ++i) rank[order[i]] = shared;
    first = last;
  }
  return rank;
}

}  // namespace

double rank_correlation(const std::vector<double>& x, const std::vector<double>& y) {
  if (x.size() < 3 || x.size() != y.size()) return NOT_A_NUMBER;
  const std::vector<Extended> rx = ranks(x);
  const std::vector<Extended> ry = ranks(y);
  // The ranks' mean is (n + 1) / 2 for both.
  const Extended mean = static_cast<Extended>(x.size() + 1) / 2.0L;
  Extended xy = 0.0L, xx = 0.0L, yy = 0.0L;
  for (std::size_t i = 0; i < rx.size(); ++i) {
    xy += (rx[i] - mean) * (ry[i] - mean);
    xx += (rx[i] - mean) * (rx[i] - mean);
    yy += (ry[i] - mean) * (ry[i] - mean);
  }
  if (xx == 0.0L || yy == 0.0L) return NOT_A_NUMBER;
  return static_cast<double>(xy / std::sqrt(xx * yy));
}

double quantile(std::vector<double>& values, double p) {
  if (values.empty()) return NOT_A_NUMBER;
  std::sort(values.begin(), values.end());
  const double h = static_cast<double>(values.size() - 1) * p;
  const auto below = static_cast<std::size_t>(std::floor(h));
  const double fraction = h - static_cast<double>(below);
  const double x = values[below];
  // An exact order statistic, or one that is -inf (a failed case), stands alone.
  if (fraction == 0.0 || below + 1 == values.size() || std::isinf(x)) return x;
  return x + fraction * (values[below + 1] - x);
}

Statistics Statistics::of(std::vector<double> values) {
  Statistics s;
  s.count = values.size();
  if (values.empty()) {
    s.mean = s.standard_deviation = s.low = s.median = s.high = NOT_A_NUMBER;
    return s;
  }
  Extended sum = 0.0L;
  for (const double v : values) sum += v;
  const Extended mean = sum / static_cast<Extended>(values.size());
  Extended squares = 0.0L;
  for (const double v : values) squares += (v - mean) * (v - mean);
  s.mean = static_cast<double>(mean);
  s.standard_deviation =
      values.size() < 2
          ? NOT_A_NUMBER
          : static_cast<double>(std::sqrt(squares / static_cast<Extended>(values.size() - 1)));
  s.low = quantile(values, LOW_QUANTILE);
  s.median = quantile(values, 0.5);
  s.high = quantile(values, HIGH_QUANTILE);
  return s;
}

bool reaches_orbit_with_any_propellant(const CaseResult& c) {
  return counts_as_flown(c) &&
         (c.status == RowStatus::in_orbit || c.status == RowStatus::short_of_propellant ||
          c.status == RowStatus::over_load_limit);
}

double rubber_tank_reserve(const StudySummary& summary, double nominal_remaining_propellant) {
  return nominal_remaining_propellant - summary.rubber_tank.low;
}

double three_sigma_reserve(const StudySummary& summary, double nominal_remaining_propellant) {
  const Statistics& s = summary.rubber_tank;
  return nominal_remaining_propellant - (s.mean - 3.0 * s.standard_deviation);
}

double lowest_case_confidence(std::size_t cases) {
  return -std::expm1(static_cast<double>(cases) * std::log1p(-LOW_QUANTILE));
}

std::size_t cases_for_confidence(double confidence) {
  return static_cast<std::size_t>(std::ceil(std::log1p(-confidence) / std::log1p(-LOW_QUANTILE)));
}

bool counts_as_flown(const CaseResult& c) {
  return c.flown && c.status != RowStatus::cannot_reach_orbit;
}

void SummaryBuilder::add(const CaseResult& c) {
  ++summary_.cases;
  ++summary_.by_status[static_cast<std::size_t>(c.status)];
  if (c.in_orbit()) ++summary_.in_orbit;
  remaining_met_.push_back(c.in_orbit() ? c.remaining_propellant : NOT_MET);
  payload_met_.push_back(c.in_orbit() ? c.SC_M : NOT_MET);
  // Every parameter has its correlation, NaN when too few cases separated.
  if (drawn_.empty()) drawn_.resize(c.values.size());
  if (rubber_tank_drawn_.empty()) rubber_tank_drawn_.resize(c.values.size());
  if (!counts_as_flown(c)) return;
  if (guided_target_ != nullptr && near_target(c, *guided_target_, ON_TARGET)) {
    ++summary_.near_target;
  }
  if (reaches_orbit_with_any_propellant(c)) {
    rubber_tank_.push_back(c.remaining_propellant);
    for (std::size_t j = 0; j < rubber_tank_drawn_.size() && j < c.values.size(); ++j) {
      rubber_tank_drawn_[j].push_back(c.values[j]);
    }
  }
  maxa_.push_back(c.maxa);
  perigee_.push_back(c.perigee);
  apogee_.push_back(c.apogee);
  average_.push_back(c.average_altitude);
  remaining_.push_back(c.remaining_propellant);
  payload_.push_back(c.SC_M);
  max_q_.push_back(c.max_dynamic_pressure);
  max_q_alpha_.push_back(c.max_q_alpha);
  max_a_.push_back(c.max_acceleration);
  for (std::size_t j = 0; j < drawn_.size() && j < c.values.size(); ++j) {
    drawn_[j].push_back(c.values[j]);
  }
}

StudySummary SummaryBuilder::finish() {
  StudySummary summary = summary_;
  summary.orbit_probability = summary.cases == 0 ? NOT_A_NUMBER
                                                 : static_cast<double>(summary.in_orbit) /
                                                       static_cast<double>(summary.cases);
  for (const std::vector<double>& values : drawn_) {
    summary.SC_M_rank_correlation.push_back(rank_correlation(values, payload_));
  }
  for (const std::vector<double>& values : rubber_tank_drawn_) {
    summary.rubber_tank_rank_correlation.push_back(rank_correlation(values, rubber_tank_));
  }
  summary.orbit_probability_with_any_propellant =
      summary.cases == 0 ? NOT_A_NUMBER
                         : static_cast<double>(rubber_tank_.size()) /
                               static_cast<double>(summary.cases);
  summary.rubber_tank = Statistics::of(std::move(rubber_tank_));
  summary.maxa = Statistics::of(std::move(maxa_));
  summary.perigee = Statistics::of(std::move(perigee_));
  summary.apogee = Statistics::of(std::move(apogee_));
  summary.average_altitude = Statistics::of(std::move(average_));
  summary.remaining_propellant = Statistics::of(std::move(remaining_));
  summary.SC_M = Statistics::of(std::move(payload_));
  summary.max_dynamic_pressure = Statistics::of(std::move(max_q_));
  summary.max_q_alpha = Statistics::of(std::move(max_q_alpha_));
  summary.max_acceleration = Statistics::of(std::move(max_a_));
  summary.remaining_propellant_met = quantile(remaining_met_, LOW_QUANTILE);
  summary.SC_M_met = quantile(payload_met_, LOW_QUANTILE);
  *this = SummaryBuilder{guided_target_};
  return summary;
}

StudySummary summarize(const std::vector<CaseResult>& cases, const TargetOrbit* guided_target) {
  SummaryBuilder builder(guided_target);
  for (const CaseResult& c : cases) builder.add(c);
  return builder.finish();
}

double flight_performance_reserve(const StudySummary& summary,
                                  double nominal_remaining_propellant) {
  return nominal_remaining_propellant - summary.remaining_propellant_met;
}

}  // namespace ascent::studies
