// What a dispersion study tells: the probability of orbit, the spread of the
// orbit and of the propellant left, the flight performance reserve and the
// payload met with 99.865 % probability (three-sigma one-sided).
//
// Quantiles are of type 7 (Hyndman and Fan): the sorted sample x_1 .. x_n,
// h = (n - 1) p + 1, and linear interpolation between x_floor(h) and the
// next; the standard deviation is the sample's (divisor n - 1).
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "studies/study.hpp"

namespace ascent::studies {

/// The one-sided three-sigma probabilities: 0.135 % and 99.865 %.
inline constexpr double LOW_QUANTILE = 0.00135;
inline constexpr double HIGH_QUANTILE = 0.99865;

/// The p-quantile (type 7) of `values`, which it sorts. NaN when empty;
/// -inf when the order statistic below it is -inf.
[[nodiscard]] double quantile(std::vector<double>& values, double p);

/// Mean, spread and quantiles of one quantity over the cases that have it.
struct Statistics {
  std::size_t count = 0;
  double mean = 0.0;
  double standard_deviation = 0.0;  ///< NaN below two values
  double low = 0.0;                 ///< 0.135 % quantile
  double median = 0.0;
  double high = 0.0;  ///< 99.865 % quantile

  /// Of `values` (NaN throughout when empty).
  [[nodiscard]] static Statistics of(std::vector<double> values);
};

/// The case is one of the flights the statistics of the orbit and the loads
/// are over: flown to separation, and not given up (a stage that skimmed the
/// atmosphere separates, but its loads are no flight's).
[[nodiscard]] bool counts_as_flown(const CaseResult& c);

struct StudySummary {
  std::size_t cases = 0;
  std::size_t in_orbit = 0;
  double orbit_probability = 0.0;                          ///< in_orbit / cases
  std::array<std::size_t, ROW_STATUS_COUNT> by_status{};  ///< cases by RowStatus

  // Over the cases flown to separation (closed loop: at a trimmed angle),
  // those that cannot reach orbit left out: counts_as_flown.
  Statistics maxa;  ///< [deg]
  Statistics perigee;
  Statistics apogee;
  Statistics average_altitude;
  Statistics remaining_propellant;
  Statistics SC_M;
  Statistics max_dynamic_pressure;  ///< [Pa]
  Statistics max_q_alpha;           ///< [Pa*deg]
  Statistics max_acceleration;      ///< [m/s^2]
  /// What drives the spread of SC_M: for each dispersed parameter, in the
  /// set's order, the rank (Spearman) correlation of its drawn values with
  /// SC_M over these cases; NaN below three cases or when either is constant.
  std::vector<double> SC_M_rank_correlation;

  // Over every case, a case not in orbit counting as -inf: what is met with
  // 99.865 % probability. -inf when more than 0.135 % of the cases fail.
  double remaining_propellant_met = 0.0;  ///< [kg] its 0.135 % quantile
  double SC_M_met = 0.0;  ///< [kg] its 0.135 % quantile: the payload one can promise

  /// Guided: the cases flown to separation with both apsides within ON_TARGET of the target's.
  std::size_t near_target = 0;

  // The rubber tank: the propellant each case reaching the orbit aimed at
  // leaves, a deficit counted as the negative amount it would need more
  // (in_orbit, short_of_propellant, over_load_limit), over which the flight
  // performance reserve is sized; the other cases reach no orbit whatever
  // the propellant, and orbit_probability_with_any_propellant tells them.
  Statistics rubber_tank;  ///< [kg] remaining propellant, its 0.135 % quantile the reserve's
  double orbit_probability_with_any_propellant = 0.0;  ///< rubber_tank.count / cases
  /// Each dispersed parameter's rank correlation with the rubber tank's
  /// remaining propellant over its cases: what drives the reserve.
  std::vector<double> rubber_tank_rank_correlation;

  [[nodiscard]] std::size_t count(RowStatus status) const {
    return by_status[static_cast<std::size_t>(status)];
  }
};

/// The summary built one case at a time, keeping only the numbers it sorts
/// and ranks (eleven per case and its drawn values, not its messages).
class SummaryBuilder {
 public:
  /// `guided_target`, when given, is the orbit guided cases aim at, for near_target.
  explicit SummaryBuilder(const TargetOrbit* guided_target = nullptr)
      : guided_target_(guided_target) {}

  void add(const CaseResult& c);
  /// The summary of the cases added; the builder is left empty.
  [[nodiscard]] StudySummary finish();

 private:
  const TargetOrbit* guided_target_;
  StudySummary summary_;
  std::vector<double> maxa_, perigee_, apogee_, average_, remaining_, payload_;
  std::vector<double> max_q_, max_q_alpha_, max_a_;
  std::vector<double> remaining_met_, payload_met_, rubber_tank_;
  std::vector<std::vector<double>> rubber_tank_drawn_;  ///< each parameter's values in its cases
  std::vector<std::vector<double>> drawn_;  ///< each dispersed parameter's values, for the ranks
};

/// [m] How near both apsides of a guided case come to the target's to count as on target.
inline constexpr double ON_TARGET = 2000.0;

/// The summary of the cases; `guided_target` as for SummaryBuilder.
[[nodiscard]] StudySummary summarize(const std::vector<CaseResult>& cases,
                                     const TargetOrbit* guided_target = nullptr);

/// The Spearman rank correlation of `x` and `y` (ties take their average
/// rank): Pearson's correlation of the ranks. NaN below three pairs or when
/// either is constant.
[[nodiscard]] double rank_correlation(const std::vector<double>& x, const std::vector<double>& y);
/// Why nothing is met with 99.865 % probability, when it is not.
inline constexpr std::string_view NO_RESERVE =
    "the 0.135 % quantile falls on a failed case, so no reserve covers them";

/// [kg] The flight performance reserve: the upper-stage propellant beyond
/// the nominal flight's needs that covers 99.865 % of the cases, the nominal
/// remaining propellant less the 0.135 % quantile of the cases'. +inf when
/// no reserve covers them (more than 0.135 % of the cases fail).
[[nodiscard]] double flight_performance_reserve(const StudySummary& summary,
                                                double nominal_remaining_propellant);

/// The case reaches the orbit aimed at, whatever propellant it needs: one of
/// the rubber tank's.
[[nodiscard]] bool reaches_orbit_with_any_propellant(const CaseResult& c);

/// [kg] The reserve that covers 99.865 % of the cases reaching the orbit with
/// a rubber tank: the nominal remaining propellant less their 0.135 % quantile.
[[nodiscard]] double rubber_tank_reserve(const StudySummary& summary,
                                         double nominal_remaining_propellant);

/// [kg] The same for a normal distribution: the nominal less (mean - 3 sigma).
[[nodiscard]] double three_sigma_reserve(const StudySummary& summary,
                                         double nominal_remaining_propellant);

/// The confidence that the lowest of `cases` draws lies below the
/// distribution's 0.135 % quantile, 1 - (1 - p)^n: how far a sample's
/// quantile so far out is a bound rather than an extrapolation.
[[nodiscard]] double lowest_case_confidence(std::size_t cases);

/// The fewest cases whose lowest lies below the 0.135 % quantile with `confidence`.
[[nodiscard]] std::size_t cases_for_confidence(double confidence);

}  // namespace ascent::studies
