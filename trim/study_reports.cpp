#include "trim/study_reports.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "studies/report_pages.hpp"
#include "studies/sensitivities.hpp"
#include "trim/reports.hpp"

namespace ascent::dispersion {

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

/// Each dispersed parameter's rank correlation with SC_M, the strongest
/// first: what drives the payload's spread.
void write_payload_drivers(std::ostream& out, const StudySummary& s, const DispersionSet& set) {
  const std::vector<Dispersion>& entries = set.entries();
  std::vector<std::size_t> order;
  for (std::size_t j = 0; j < entries.size() && j < s.SC_M_rank_correlation.size(); ++j) {
    if (std::isfinite(s.SC_M_rank_correlation[j])) order.push_back(j);
  }
  if (order.empty()) return;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return std::fabs(s.SC_M_rank_correlation[a]) > std::fabs(s.SC_M_rank_correlation[b]);
  });
  out << "\nWhat drives SC_M (rank correlation with each parameter, the strongest first):\n";
  std::string_view caveats;
  for (const std::size_t j : order) {
    const std::string& name = entries[j].name;
    out << "  " << name << std::string(name.size() < 36 ? 36 - name.size() : 1, ' ')
        << fixed(s.SC_M_rank_correlation[j], 3, 7);
    if (const std::string_view caveat = trim::ratio_caveat(name); !caveat.empty()) {
      out << "  (*)";
      caveats = caveat;
    }
    out << "\n";
  }
  if (!caveats.empty()) out << "  (*) " << caveats << ".\n";
}

}  // namespace

void write_case_csv_header(std::ostream& out, const DispersionSet& set) {
  // A drawn value's column is its parameter's name, as the set has it.
  out << "case,seed";
  for (const Dispersion& d : set.entries()) out << ',' << trim::csv_field(d.name);
  out << ',' << trim::csv_header(case_columns()) << '\n';
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
  out << ',' << r.flights << ',' << row_status_name(r.status) << ',' << trim::csv_field(r.message)
      << '\n';
}

void write_summary_table(std::ostream& out, const StudySummary& s, const StudyDescription& study) {
  const StudySpec& setup = *study.setup;
  // Trimmed or guided, each case aims at the target: the reserve covers them.
  const bool closed = setup.mode != LoopMode::open;
  const trim::FlightOutcome& nominal = setup.nominal_flight;
  out << "Dispersion study of turn time " << setup.turn_time.text << " s: " << s.cases
      << " cases, seed " << study.seed << ", " << report::loop_words(setup.mode) << "\n"
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
  write_payload_drivers(out, s, setup.dispersions);
  if (!closed) return;

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

}  // namespace ascent::dispersion
