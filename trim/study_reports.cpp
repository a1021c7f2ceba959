#include "trim/study_reports.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <numbers>

#include "studies/report_pages.hpp"
#include "studies/sensitivities.hpp"
#include "trim/reports.hpp"

namespace ascent::trim {

using studies::case_columns;
using studies::CaseResult;
using studies::cases_for_confidence;
using studies::Dispersion;
using studies::DispersionSet;
using studies::flight_performance_reserve;
using studies::impact_columns;
using studies::ImpactDispersion;
using studies::LoopMode;
using studies::LOW_QUANTILE;
using studies::lowest_case_confidence;
using studies::NO_RESERVE;
using studies::ON_TARGET;
using studies::ROW_STATUS_COUNT;
using studies::row_status_name;
using studies::RowStatus;
using studies::rubber_tank_reserve;
using studies::Statistics;
using studies::StudySpec;
using studies::StudySummary;
using studies::three_sigma_reserve;

namespace {

/// The shortest text that reads back as exactly `value`.
std::string exact(double value) {
  std::array<char, 32> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return error == std::errc{} ? std::string(buffer.data(), end) : std::string("nan");
}

/// `value` in fixed point, right-aligned in `width`; "-" when not finite.
std::string fixed(double value, int decimals, int width) {
  char buffer[64];
  if (std::isfinite(value)) {
    std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, value);
  } else {
    std::snprintf(buffer, sizeof buffer, "%*s", width, "-");
  }
  return buffer;
}

std::string percent(double fraction) {
  return fixed(100.0 * fraction, 3, 0) + " %";
}

/// Each dispersed parameter's rank `correlation` with a quantity, the
/// strongest first (at most `shown`), under `heading`: what drives its spread.
void write_drivers(std::ostream& out, std::string_view heading,
                   const std::vector<double>& correlation, const DispersionSet& set,
                   std::size_t shown) {
  const std::vector<Dispersion>& entries = set.entries();
  std::vector<std::size_t> order;
  for (std::size_t j = 0; j < entries.size() && j < correlation.size(); ++j) {
    if (std::isfinite(correlation[j])) order.push_back(j);
  }
  if (order.empty()) return;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return std::fabs(correlation[a]) > std::fabs(correlation[b]);
  });
  out << heading;
  std::string_view caveats;
  for (std::size_t k = 0; k < order.size() && k < shown; ++k) {
    const std::string& name = entries[order[k]].name;
    out << "  " << name << std::string(name.size() < 36 ? 36 - name.size() : 1, ' ')
        << fixed(correlation[order[k]], 3, 7);
    if (const std::string_view caveat = studies::ratio_caveat(name); !caveat.empty()) {
      out << "  (*)";
      caveats = caveat;
    }
    out << "\n";
  }
  if (!caveats.empty()) out << "  (*) " << caveats << ".\n";
}

/// The flight performance reserve of a rubber tank: the propellant a case
/// short of it would need counts as a deficit, so the distribution of the
/// remaining propellant is whole over the cases that reach the orbit.
void write_rubber_tank_reserve(std::ostream& out, const StudySummary& s,
                               const studies::FlightOutcome& nominal, const DispersionSet& set) {
  const Statistics& tank = s.rubber_tank;
  out << "\nFlight performance reserve, rubber tank (a case short of propellant counts with its "
         "deficit):\n"
      << "  reach the orbit with any propellant " << tank.count << " of " << s.cases << " ("
      << percent(s.orbit_probability_with_any_propellant) << "); the others reach none\n";
  if (tank.count == 0) return;
  const double nominal_left = nominal.remaining_propellant;
  out << "  remaining propellant over them      mean " << fixed(tank.mean, 0, 0) << " kg, sigma "
      << fixed(tank.standard_deviation, 0, 0) << " kg, 0.135 % quantile " << fixed(tank.low, 0, 0)
      << " kg\n"
      << "  flight performance reserve  " << fixed(rubber_tank_reserve(s, nominal_left), 0, 9)
      << " kg  (nominal remaining " << fixed(nominal_left, 0, 0)
      << " kg less the 0.135 % quantile)\n"
      << "  three-sigma reserve         " << fixed(three_sigma_reserve(s, nominal_left), 0, 9)
      << " kg  (nominal less mean - 3 sigma, were the spread normal)\n";
  const double below = static_cast<double>(tank.count) * LOW_QUANTILE;
  out << "  " << tank.count << " cases: " << fixed(below, 2, 0)
      << " expected below the 0.135 % quantile, "
      << (below < 1.0 ? "so it is read between the lowest cases, an extrapolation; "
                      : "read from the lowest cases; ")
      << "the lowest case lies below the true quantile with "
      << percent(lowest_case_confidence(tank.count)) << " confidence ("
      << cases_for_confidence(0.95) << " cases give 95 %)\n";
  write_drivers(out,
                "  What drives it (rank correlation with the remaining propellant, the five "
                "strongest):\n",
                s.rubber_tank_rank_correlation, set, 5);
}

}  // namespace

void write_case_csv_header(std::ostream& out, const DispersionSet& set) {
  // A drawn value's column is its parameter's name, as the set has it.
  out << "case,seed";
  for (const Dispersion& d : set.entries()) out << ',' << csv_field(d.name);
  out << ',' << csv_header(case_columns()) << '\n';
}

void write_case_csv_row(std::ostream& out, const CaseResult& r) {
  out << r.k << ',' << r.seed;
  for (const double v : r.values) out << ',' << exact(v);
  out << ',' << (r.flights > 0 ? exact(r.maxa) : "");
  if (r.flown) {
    out << ',' << exact(r.perigee) << ',' << exact(r.apogee) << ',' << exact(r.average_altitude)
        << ',' << exact(r.remaining_propellant) << ',' << exact(r.SC_M) << ','
        << exact(r.max_dynamic_pressure) << ',' << exact(r.max_q_alpha) << ','
        << exact(r.max_acceleration);
  } else {
    out << ",,,,,,,,";
  }
  out << ',' << r.flights << ',' << row_status_name(r.status) << ',' << csv_field(r.message)
      << '\n';
}

void write_summary_table(std::ostream& out, const StudySummary& s, const StudyDescription& study) {
  const StudySpec& setup = *study.setup;
  // Trimmed or guided, each case aims at the target: the reserve covers them.
  const bool closed = setup.mode != LoopMode::open;
  const studies::FlightOutcome& nominal = setup.nominal_flight;
  out << "Dispersion study of turn time " << setup.turn_time.text << " s: " << s.cases
      << " cases, seed " << study.seed << ", " << studies::loop_words(setup.mode) << "\n"
      << "Dispersion set: " << study.set_name << " (" << setup.dispersions.entries().size()
      << " parameters)\n"
      << "Nominal flight: maxa " << setup.nominal_maxa.text
      << (setup.maxa_trimmed ? " deg" : " deg (the plan's)") << ", average altitude "
      << fixed(nominal.average_altitude / 1000.0, 3, 0) << " km, remaining propellant "
      << fixed(nominal.remaining_propellant, 0, 0) << " kg, SC_M " << fixed(nominal.SC_M, 0, 0)
      << " kg\n\n";

  out << "In orbit: " << s.in_orbit << " of " << s.cases << " (" << percent(s.orbit_probability)
      << ")\n";
  for (std::size_t i = 0; i < ROW_STATUS_COUNT; ++i) {
    const auto status = static_cast<RowStatus>(i);
    if (status == RowStatus::in_orbit || s.count(status) == 0) continue;
    out << "  " << row_status_name(status) << ": " << s.count(status) << "\n";
  }

  if (setup.mode == LoopMode::guided) {
    const TargetOrbit& target = setup.nominal.vehicle.target;
    out << "Within " << fixed(ON_TARGET / 1000.0, 0, 0) << " km of both target apsides (" << fixed(target.perigee_altitude() / 1000.0, 3, 0)
        << " x " << fixed(target.apogee_altitude() / 1000.0, 3, 0) << " km): " << s.near_target
        << " of the " << s.SC_M.count << " flown to separation\n";
  }
  out << "\nOver the " << s.SC_M.count << (setup.mode == LoopMode::closed ? " trimmed" : "")
      << " cases flown to separation:\n"
      << "                                 mean     sigma   0.135 %    median  99.865 %\n";
  const auto row = [&](std::string_view name, const Statistics& st, double unit, int decimals) {
    out << "  " << name << std::string(30 - name.size(), ' ') << fixed(st.mean / unit, decimals, 9)
        << fixed(st.standard_deviation / unit, decimals, 10) << fixed(st.low / unit, decimals, 10)
        << fixed(st.median / unit, decimals, 10) << fixed(st.high / unit, decimals, 10) << "\n";
  };
  row("maxa [deg]", s.maxa, 1.0, 3);
  row("perigee [km]", s.perigee, 1000.0, 3);
  row("apogee [km]", s.apogee, 1000.0, 3);
  row("average altitude [km]", s.average_altitude, 1000.0, 3);
  row("remaining propellant [kg]", s.remaining_propellant, 1.0, 0);
  row("SC_M [kg]", s.SC_M, 1.0, 0);
  row("max Pq [kPa]", s.max_dynamic_pressure, 1000.0, 3);
  row("max q*alpha [Pa*deg]", s.max_q_alpha, 1.0, 0);
  row("max a [m/s^2]", s.max_acceleration, 1.0, 3);
  write_drivers(out,
                "\nWhat drives SC_M (rank correlation with each parameter, the strongest first):\n",
                s.SC_M_rank_correlation, setup.dispersions, s.SC_M_rank_correlation.size());
  if (!closed) return;
  write_rubber_tank_reserve(out, s, nominal, setup.dispersions);

  // Closed loop: what covers 99.865 % of the cases, a failed case uncovered.
  out << "\nMet with 99.865 % probability (0.135 % quantile, failed cases not met):\n";
  const double reserve = flight_performance_reserve(s, nominal.remaining_propellant);
  if (std::isfinite(reserve)) {
    out << "  flight performance reserve  " << fixed(reserve, 0, 9) << " kg  (nominal remaining "
        << fixed(nominal.remaining_propellant, 0, 0) << " kg, 0.135 % quantile "
        << fixed(s.remaining_propellant_met, 0, 0) << " kg)\n"
        << "  SC_M                        " << fixed(s.SC_M_met, 0, 9) << " kg  (nominal "
        << fixed(nominal.SC_M, 0, 0) << " kg)\n";
  } else {
    out << "  none: " << NO_RESERVE << "\n";
  }
}

void write_impact_csv_header(std::ostream& out) {
  out << "case," << csv_header(impact_columns()) << '\n';
}

void write_impact_csv_rows(std::ostream& out, const CaseResult& result) {
  for (const studies::ImpactRecord& i : result.impacts) {
    out << result.k << ',' << csv_field(i.element) << ',' << (i.reaches_orbit ? "true" : "false")
        << ',' << exact(i.t) << ',' << exact(i.latitude) << ',' << exact(i.longitude) << ','
        << (i.reaches_orbit ? "" : exact(i.downrange)) << ','
        << (i.reaches_orbit ? "" : exact(i.speed)) << '\n';
  }
}

void write_impact_summary(std::ostream& out, const std::vector<ImpactDispersion>& spreads) {
  constexpr double DEGREES = 180.0 / std::numbers::pi;
  out << "\nImpact points (ellipses in the plane tangent to the ground at the mean; 99 %: "
         "chi-square 9.2103 of 2 degrees of freedom; 3-sigma: three standard deviations along "
         "each axis, 98.9 %):\n"
      << "                impacts  in orbit   mean lat   mean lon  downrange  99 % semi-axes  "
         "3-sigma semi-axes  major axis  farthest case\n"
      << "                                       [deg]      [deg]       [km]            [km]"
         "               [km]       [deg]           [km]\n";
  for (const ImpactDispersion& e : spreads) {
    std::string name = e.element;
    name.resize(std::max<std::size_t>(name.size(), 14), ' ');
    out << name << fixed(static_cast<double>(e.impacts), 0, 9)
        << fixed(static_cast<double>(e.in_orbit), 0, 10);
    if (e.impacts == 0) {
      out << "\n";
      continue;
    }
    out << fixed(e.mean.latitude * DEGREES, 4, 11) << fixed(e.mean.longitude * DEGREES, 4, 11)
        << fixed(e.mean_downrange / 1000.0, 1, 11) << fixed(e.ellipse_99.semi_major / 1000.0, 1, 9)
        << " x" << fixed(e.ellipse_99.semi_minor / 1000.0, 1, 6)
        << fixed(e.ellipse_3sigma.semi_major / 1000.0, 1, 12) << " x"
        << fixed(e.ellipse_3sigma.semi_minor / 1000.0, 1, 6)
        << fixed(e.ellipse_99.orientation * DEGREES, 1, 12) << "  " << std::setw(5) << e.farthest_case
        << fixed(e.farthest_distance / 1000.0, 1, 8) << "\n";
  }
}

}  // namespace ascent::trim
