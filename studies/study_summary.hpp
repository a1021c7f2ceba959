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

namespace ascent::dispersion {

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

struct StudySummary {
  std::size_t cases = 0;
  std::size_t in_orbit = 0;
  double orbit_probability = 0.0;                          ///< in_orbit / cases
  std::array<std::size_t, ROW_STATUS_COUNT> by_status{};  ///< cases by RowStatus

  // Over the cases flown to separation (closed loop: at a trimmed angle).
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

  [[nodiscard]] std::size_t count(RowStatus status) const {
    return by_status[static_cast<std::size_t>(status)];
  }
};

[[nodiscard]] StudySummary summarize(const std::vector<CaseResult>& cases);

/// The Spearman rank correlation of `x` and `y` (ties take their average
/// rank): Pearson's correlation of the ranks. NaN below three pairs or when
/// either is constant.
[[nodiscard]] double rank_correlation(const std::vector<double>& x, const std::vector<double>& y);
/// Why nothing is met with 99.865 % probability, when it is not.
inline constexpr std::string_view NO_RESERVE =
    "more than 0.135 % of the cases fail, so no reserve covers them";

/// [kg] The flight performance reserve: the upper-stage propellant beyond
/// the nominal flight's needs that covers 99.865 % of the cases, the nominal
/// remaining propellant less the 0.135 % quantile of the cases'. +inf when
/// no reserve covers them (more than 0.135 % of the cases fail).
[[nodiscard]] double flight_performance_reserve(const StudySummary& summary,
                                                double nominal_remaining_propellant);

}  // namespace ascent::dispersion
