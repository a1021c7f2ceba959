#include "trim/reports.hpp"

#include <array>
#include <charconv>
#include <cstdio>
#include <numbers>
#include <optional>

#include "text/event_lines.hpp"

namespace ascent::trim {

using studies::CapabilityResult;
using studies::Column;
using studies::event_columns;
using studies::EventRecord;
using studies::FlightGround;
using studies::FlightOutcome;
using studies::GroundPoint;
using studies::history_columns;
using studies::impact_columns;
using studies::ImpactRecord;
using studies::row_status_name;
using studies::staged_event_columns;
using studies::staged_history_columns;
using studies::StagedHistoryRow;
using studies::StagedHistoryRows;
using studies::status_of;
using studies::StepRecord;
using studies::sweep_row;
using studies::SweepRow;
using studies::target_columns;
using studies::TargetResult;
using studies::trim_columns;
using studies::TrimResult;
using studies::TrimSettings;
using studies::typed_number;
using studies::TypedNumber;

namespace {

/// `value` in fixed point with `decimals` decimals, right-aligned in `width`.
std::string fixed(double value, int decimals, int width = 0) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, value);
  return buffer;
}

std::string right(std::string_view text, std::size_t width) {
  return text.size() >= width ? std::string(text)
                              : std::string(width - text.size(), ' ') + std::string(text);
}

std::string left(std::string_view text, std::size_t width) {
  return text.size() >= width ? std::string(text)
                              : std::string(text) + std::string(width - text.size(), ' ');
}

/// The shortest text that reads back as exactly `value`.
std::string exact(double value) {
  std::array<char, 32> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return error == std::errc{} ? std::string(buffer.data(), end) : std::string("nan");
}

std::string target_text(const TrimSettings& settings) {
  return typed_number(settings.target_altitude() / 1000.0, 3).text + " km (within " +
         typed_number(settings.tolerance, 3).text + " m)";
}

/// A row's status word, with why it is not in orbit when it is not.
std::string status_text(const SweepRow& r) {
  const std::string word(row_status_name(r.row_status()));
  return r.message.empty() ? word : word + ": " + r.message;
}

/// The flight's load maxima and their times, for a CSV row.
std::string load_fields(const FlightOutcome& f) {
  const LoadMaxima& l = f.loads;
  return fixed(l.dynamic_pressure, 1) + ',' + fixed(l.dynamic_pressure_time, 2) + ',' +
         fixed(l.q_alpha, 1) + ',' + fixed(l.q_alpha_time, 2) + ',' + fixed(l.acceleration, 3) +
         ',' + fixed(l.acceleration_time, 2);
}

void write_trade_csv_row(std::ostream& out, const SweepRow& r) { out << trade_csv_row(r) << '\n'; }

constexpr std::string_view TRADE_HEADER =
    " turn time        maxa   perigee    apogee   average  propellant      SC_M   max Pq  max q*alpha"
    "   max a  flights\n"
    "       [s]       [deg]      [km]      [km]      [km]        [kg]      [kg]    [kPa]     [Pa*deg]"
    " [m/s^2]\n";

std::string trade_row(const SweepRow& r) {
  std::string row = right(r.turn_time.text, 10);
  if (r.trimmed()) {
    const FlightOutcome& f = r.flight;
    row += right(r.maxa.text, 12) + fixed(f.perigee / 1000.0, 3, 10) +
           fixed(f.apogee / 1000.0, 3, 10) + fixed(f.average_altitude / 1000.0, 3, 10) +
           fixed(f.remaining_propellant, 0, 12) + fixed(f.SC_M, 0, 10) +
           fixed(f.loads.dynamic_pressure / 1000.0, 2, 9) + fixed(f.loads.q_alpha, 0, 13) +
           fixed(f.loads.acceleration, 2, 8) + right(std::to_string(r.flights), 9);
  }
  if (!r.feasible()) row += "  " + status_text(r);
  return row;
}

}  // namespace

std::string csv_header(std::span<const Column> columns) {
  std::string line;
  for (const Column& c : columns) {
    if (!line.empty()) line += ',';
    line += c.name;
  }
  return line;
}

std::string trade_csv_row(const SweepRow& r) {
  std::string row = r.turn_time.text + ',';
  if (r.trimmed()) {
    const FlightOutcome& f = r.flight;
    row += r.maxa.text + ',' + fixed(f.perigee, 3) + ',' + fixed(f.apogee, 3) + ',' +
           fixed(f.average_altitude, 3) + ',' + fixed(f.remaining_propellant, 1) + ',' +
           fixed(f.SC_M, 0) + ',' + load_fields(f) + ',' + std::to_string(r.flights);
  } else {
    row += ",,,,,,,,,,,," + std::to_string(r.flights);
  }
  return row + ',' + std::string(row_status_name(r.row_status())) + ',' + csv_field(r.message);
}

void write_report_line(std::ostream& out, std::string_view name, const std::string& value,
                       std::string_view unit) {
  out << "  " << left(name, 28) << right(value, 12) << (unit.empty() ? "" : " ") << unit << "\n";
}

void write_loads(std::ostream& out, const LoadMaxima& loads) {
  const auto at = [](double time) { return " at " + fixed(time, 2) + " s"; };
  write_report_line(out, "maximum dynamic pressure", fixed(loads.dynamic_pressure, 0),
                    "Pa" + at(loads.dynamic_pressure_time));
  write_report_line(out, "maximum q*alpha", fixed(loads.q_alpha, 0),
                    "Pa*deg" + at(loads.q_alpha_time));
  write_report_line(out, "maximum axial acceleration", fixed(loads.acceleration, 2),
                    "m/s^2" + at(loads.acceleration_time));
}

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

void write_trim_report(std::ostream& out, const TrimResult& r, const TrimSettings& settings,
                       Format format) {
  if (format == Format::csv) {
    out << csv_header(trim_columns()) << '\n';
    write_trade_csv_row(out, sweep_row(r));
    return;
  }
  out << "Trim of turn time " << r.turn_time.text << " s to an average altitude of "
      << target_text(settings) << "\n";
  if (!r.trimmed()) {
    out << "Not trimmed (" << row_status_name(status_of(r.status, r.flight)) << "): " << r.message
        << "\n";
    if (r.flight.above_surface) {
      out << "Closest flight: maxa " << r.maxa.text << " deg, average altitude "
          << fixed(r.flight.average_altitude / 1000.0, 3) << " km\n";
    }
    out << "Flights: " << r.flights.size() << "\n";
    return;
  }
  write_plan_lines(out, r);
}

void write_plan_lines(std::ostream& out, const TrimResult& r) {
  const FlightOutcome& f = r.flight;
  const auto line = [&](std::string_view name, const std::string& value, std::string_view unit) {
    write_report_line(out, name, value, unit);
  };
  line("maximum angle of attack", r.maxa.text, "deg");
  line("perigee", fixed(f.perigee / 1000.0, 3), "km");
  line("apogee", fixed(f.apogee / 1000.0, 3), "km");
  line("average altitude", fixed(f.average_altitude / 1000.0, 3), "km");
  line("remaining propellant", fixed(f.remaining_propellant, 0), "kg");
  line("spacecraft mass SC_M", fixed(f.SC_M, 0), "kg");
  write_loads(out, f.loads);
  line("flights", std::to_string(r.flights.size()), "");
  line("outcome", std::string(outcome_name(f.outcome)), "");
  if (!r.feasible()) out << "Not in orbit: " << r.message << ".\n";
}

void write_guided_heading(std::ostream& out, const TypedNumber& turn_time, double perigee,
                          double apogee) {
  out << "Guided upper stage, turn time " << turn_time.text << " s, to "
      << fixed(perigee / 1000.0, 3) << " x " << fixed(apogee / 1000.0, 3) << " km\n";
}

void write_target_report(std::ostream& out, const TargetResult& r, Format format) {
  const FlightResult& f = r.flight;
  const bool in_orbit = r.reached_orbit();
  if (format == Format::csv) {
    out << csv_header(target_columns()) << '\n';
    out << r.turn_time.text << ',' << r.maxa.text << ',' << (r.maxa_trimmed ? "yes" : "no") << ','
        << fixed(r.target_perigee, 3) << ',' << fixed(r.target_apogee, 3) << ',';
    if (in_orbit) {
      out << fixed(f.orbit.perigee, 3) << ',' << fixed(f.orbit.apogee, 3) << ','
          << fixed(f.remaining_propellant, 1) << ',' << fixed(f.budget.SC_M, 0);
    } else {
      out << ",,,";
    }
    out << ',' << r.flights << ',' << row_status_name(r.status) << ',' << csv_field(r.reason)
        << '\n';
    return;
  }
  write_guided_heading(out, r.turn_time, r.target_perigee, r.target_apogee);
  const auto line = [&](std::string_view name, const std::string& value, std::string_view unit) {
    out << "  " << left(name, 28) << right(value, 12) << (unit.empty() ? "" : " ") << unit << "\n";
  };
  if (!r.maxa.text.empty()) {
    line(r.maxa_trimmed ? "trimmed max. angle of attack" : "maximum angle of attack",
         r.maxa.text, "deg");
  }
  if (in_orbit) {
    line("perigee", fixed(f.orbit.perigee / 1000.0, 3), "km");
    line("apogee", fixed(f.orbit.apogee / 1000.0, 3), "km");
    line("remaining propellant", fixed(f.remaining_propellant, 0), "kg");
    line("spacecraft mass SC_M", fixed(f.budget.SC_M, 0), "kg");
  }
  line("flights", std::to_string(r.flights), "");
  line("outcome", std::string(row_status_name(r.status)), "");
  if (!r.reason.empty()) {
    out << (in_orbit ? "Not in orbit: " : "Target not reached: ") << r.reason
        << (r.reason.ends_with('.') ? "\n" : ".\n");
  }
}

void write_trade_header(std::ostream& out, const TrimSettings& settings, Format format) {
  if (format == Format::csv) {
    out << csv_header(trim_columns()) << '\n';
  } else {
    out << "Each turn time trimmed to an average altitude of " << target_text(settings) << "\n\n"
        << TRADE_HEADER;
  }
}

void write_trade_row(std::ostream& out, const SweepRow& row, Format format) {
  if (format == Format::csv) {
    write_trade_csv_row(out, row);
  } else {
    out << trade_row(row) << "\n";
  }
}

void write_trade_footer(std::ostream& out, const std::optional<SweepRow>& best,
                        std::size_t turn_times, Format format) {
  if (format == Format::csv) return;
  out << "\n";
  if (!best) {
    out << "No turn time could be trimmed to a flight in orbit.\n";
    return;
  }
  out << "Largest payload: SC_M = " << fixed(best->flight.SC_M, 0) << " kg at turn time "
      << best->turn_time.text << " s (maxa " << best->maxa.text << " deg)";
  // At an end of the range the largest payload may lie beyond it.
  if (turn_times > 1 && best->index + 1 == turn_times) {
    out << ", the last turn time swept: a longer one may carry more";
  } else if (turn_times > 1 && best->index == 0) {
    out << ", the first turn time swept: a shorter one may carry more";
  }
  out << ".\n";
}

void write_event_table(std::ostream& out, const TrimResult& r,
                       const std::vector<EventRecord>& events, const FlightGround& ground,
                       Format format) {
  if (format == Format::csv) {
    out << csv_header(event_columns()) << '\n';
    for (const EventRecord& e : events) {
      const GroundPoint where = ground.point(e);
      out << csv_field(e.name) << ',' << fixed(e.t, 3) << ',' << fixed(e.h0, 1) << ','
          << fixed(e.vi, 2) << ',' << fixed(e.beta, 4) << ',' << fixed(e.theta, 4) << ','
          << fixed(e.Pq, 1) << ',' << fixed(e.mass, 1) << ',' << fixed(where.latitude, 6) << ','
          << fixed(where.longitude, 6) << '\n';
    }
    return;
  }
  out << "Events of turn time " << r.turn_time.text << " s, maximum angle of attack " << r.maxa.text
      << " deg\n\n"
      << "event                             t        h0        vi     beta    theta        Pq"
         "         mass\n"
      << "                                [s]       [m]     [m/s]    [deg]    [deg]      [Pa]"
         "         [kg]\n";
  for (const EventRecord& e : events) {
    out << left(e.name, 26) << fixed(e.t, 2, 9) << fixed(e.h0, 0, 10) << fixed(e.vi, 1, 10)
        << fixed(e.beta, 2, 9) << fixed(e.theta, 2, 9) << fixed(e.Pq, 1, 10) << fixed(e.mass, 1, 13)
        << "\n";
  }
}

void write_impact_table(std::ostream& out, const std::string& flight,
                        const std::vector<ImpactRecord>& impacts, Format format) {
  if (format == Format::csv) {
    out << csv_header(impact_columns()) << '\n';
    for (const ImpactRecord& i : impacts) {
      out << csv_field(i.element) << ',' << (i.reaches_orbit ? "true" : "false") << ','
          << fixed(i.t, 3) << ',' << fixed(i.latitude, 6) << ',' << fixed(i.longitude, 6) << ','
          << (i.reaches_orbit ? "" : fixed(i.downrange, 1)) << ','
          << (i.reaches_orbit ? "" : fixed(i.speed, 2)) << '\n';
    }
    return;
  }
  out << "Impact points of " << flight << "\n\n"
      << "element                 t     latitude   longitude   downrange      speed\n"
      << "                      [s]        [deg]       [deg]        [km]      [m/s]\n";
  for (const ImpactRecord& i : impacts) {
    out << left(i.element, 14) << fixed(i.t, 2, 10) << fixed(i.latitude, 4, 13)
        << fixed(i.longitude, 4, 12);
    if (i.reaches_orbit) {
      out << "   reaches orbit\n";
    } else {
      out << fixed(i.downrange / 1000.0, 1, 12) << fixed(i.speed, 1, 11) << "\n";
    }
  }
}

void write_history_csv(std::ostream& out, const std::vector<StepRecord>& steps,
                       const FlightGround& ground) {
  out << csv_header(history_columns()) << '\n';
  for (const StepRecord& s : steps) {
    const std::array<double, 22> values{
        s.t,     s.dt, s.a,      s.vi,   s.vt, s.vr,   s.h0,     s.r0,      s.alpha,   s.beta,
        s.theta, s.Pq, s.thrust, s.drag, s.Cd, s.mass, s.m_prop, s.dV,      s.perigee, s.apogee,
        s.alpha_aero, s.q_alpha};
    for (std::size_t i = 0; i < values.size(); ++i) out << (i == 0 ? "" : ",") << exact(values[i]);
    const GroundPoint where = ground.point(s);
    out << ',' << (s.search_step ? "true" : "false") << ',' << exact(where.latitude) << ','
        << exact(where.longitude) << ',' << exact(where.altitude) << '\n';
  }
}

void write_staged_events(std::ostream& out, const StagedVehicle& vehicle,
                         const StagedResult& r, Format format) {
  if (format == Format::csv) {
    out << csv_header(staged_event_columns()) << '\n';
    for (const StagedEvent& e : r.events) {
      out << csv_field(e.name) << ',' << csv_field(e.element) << ',' << exact(e.t) << ','
          << exact(e.state.position.norm() - vehicle.earth.equatorial_radius) << ','
          << exact(e.state.velocity.norm()) << ',' << exact(e.state.mass) << '\n';
    }
    return;
  }
  out << "Events of " << (vehicle.name.empty() ? "the staged vehicle" : vehicle.name) << "\n\n"
      << "event                                t      altitude       speed          mass\n"
      << "                                   [s]           [m]       [m/s]          [kg]\n";
  for (const StagedEvent& e : r.events) {
    out << left(e.name, 30) << fixed(e.t, 3, 9) << fixed(e.state.position.norm() - vehicle.earth.equatorial_radius, 1, 14)
        << fixed(e.state.velocity.norm(), 2, 12) << fixed(e.state.mass, 3, 14) << "\n";
  }
  out << "\n";
  std::string outcome(outcome_name(r.outcome));
  if (r.failure != OrbitFailure::none) outcome += ": " + std::string(orbit_failure_words(r.failure));
  write_report_line(out, "outcome", outcome, "");
  write_report_line(out, "final mass", fixed(r.final_state.mass, 3), "kg");
  write_report_line(out, "remaining propellant", fixed(r.remaining_propellant, 3), "kg");
  write_report_line(out, "perigee", fixed(r.perigee_altitude, 1), "m");
  write_report_line(out, "apogee", fixed(r.apogee_altitude, 1), "m");
  constexpr double DEGREES = 180.0 / std::numbers::pi;
  write_report_line(out, "inclination", fixed(r.elements.inclination * DEGREES, 4), "deg");
  write_report_line(out, "ascending node", fixed(r.elements.ascending_node * DEGREES, 4), "deg");
  write_report_line(out, "argument of perigee", fixed(r.elements.argument_of_perigee * DEGREES, 4), "deg");
}

void write_staged_history_csv(std::ostream& out, const StagedVehicle& vehicle,
                              const StagedResult& r) {
  out << csv_header(staged_history_columns()) << '\n';
  const StagedHistoryRows row_of(vehicle);
  for (const StagedSample& s : r.history) {
    const StagedHistoryRow row = row_of(s);
    for (std::size_t i = 0; i < row.size(); ++i) out << (i == 0 ? "" : ",") << exact(row[i]);
    out << '\n';
  }
}

void write_capability_report(std::ostream& out, const StagedVehicle& vehicle,
                             const CapabilityResult& r, double reserve, Format format) {
  const std::string outcome(outcome_name(r.flight.outcome));
  if (format == Format::csv) {
    out << "feasible,payload_kg,reserve_kg,margin_kg,perigee_m,apogee_m,outcome,flights\n"
        << (r.feasible ? "true" : "false") << ',' << exact(r.payload) << ',' << exact(reserve)
        << ',' << exact(r.margin) << ',' << exact(r.flight.perigee_altitude) << ','
        << exact(r.flight.apogee_altitude) << ',' << outcome << ',' << r.flights << '\n';
    return;
  }
  out << "Largest payload of " << (vehicle.name.empty() ? "the staged vehicle" : vehicle.name)
      << " with " << fixed(reserve, 1) << " kg of propellant in reserve\n";
  if (!r.feasible) {
    out << "  no payload reaches orbit with the reserve (with none: " << outcome << ")\n";
    write_report_line(out, "flights", std::to_string(r.flights), "");
    return;
  }
  write_report_line(out, "payload", fixed(r.payload, 1), "kg");
  write_report_line(out, "margin", fixed(r.margin, 1), "kg");
  write_report_line(out, "perigee", fixed(r.flight.perigee_altitude, 1), "m");
  write_report_line(out, "apogee", fixed(r.flight.apogee_altitude, 1), "m");
  write_report_line(out, "flights", std::to_string(r.flights), "");
}

}  // namespace ascent::trim
