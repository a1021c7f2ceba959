#include "text/flight_summary.hpp"

#include <string_view>

#include "base/earth.hpp"
#include "text/line.hpp"
#include "text/outcome_words.hpp"

namespace ascent {

namespace {
constexpr std::string_view BELOW_SURFACE_WARNING =
    "Warning! The perigee is below the Earth's surface: the upper stage is not in orbit.";

Extended degrees(Extended radians) { return radians * 180.0L / PI; }

Line propellant_line(const FlightResult& r) {
  return Line{}
      .text("Upper Stage in Orbit! Remaining propellant = ")
      .fixed(r.remaining_propellant, 1, 0)
      .text(" kg.");
}

Line orbit_line(const FlightResult& r, const Symbols& symbols) {
  return Line{}
      .text("Perigee = ")
      .fixed(r.orbit.perigee / 1000.0L, 5, 1)
      .text(" km, Apogee = ")
      .fixed(r.orbit.apogee / 1000.0L, 5, 1)
      .text(" km, Average Altitude = ")
      .fixed(r.orbit.average_altitude / 1000.0L, 5, 1)
      .text(symbols.plusminus)
      .fixed(r.orbit.altitude_deviation / 1000.0L, 3, 1)
      .text(" km");
}

Line recommended_maxa_line(Real recommended_maxa, const Symbols& symbols) {
  return Line{}.text("Recommended maxa = ").fixed(degrees(recommended_maxa), 7, 4).text(symbols.degree);
}

/// After the summary of a flight that separated but is not in orbit, the line
/// that names its outcome and why; nothing in orbit, nor for an orbit through
/// the ground, which its own warning already tells.
void write_outcome_warning(TextChannel& out, const FlightResult& r, const Vehicle& vehicle) {
  if (r.in_orbit() || (!(r.orbit.perigee > 0.0) && r.outcome == Outcome::perigee_below_minimum)) {
    return;
  }
  out.write_line(Line{}
                     .text("Warning! ")
                     .text(outcome_name(r.outcome))
                     .text(" (")
                     .text(separated_message(r, vehicle))
                     .text("): the upper stage is not in orbit."));
}

}  // namespace

void write_summary_head(TextChannel& out, const FlightResult& r, const Symbols& symbols,
                        const LoadMaxima* session_maxima) {
  out.write_line("");
  out.write_line(Line{}
                     .text("Turn Time = ")
                     .fixed(r.turn_time, 5, 3)
                     .text(" s, Maximum angle of attack = ")
                     .fixed(degrees(r.maxa), 7, 4)
                     .text(symbols.degree));
  write_orbit_lines(out, r, symbols);
  out.write_line(Line{}.text("Vacuum and zero gravity delta-V = ").fixed(r.delta_v, 1, 0).text(" m/s"));
  out.write_line(Line{}
                     .text("Stage 3 Maximum force = ")
                     .fixed(r.stage3_max_force, 1, 0)
                     .text(" N at ")
                     .fixed(r.stage3_max_force_time, 4, 2)
                     .text(" s"));
  out.write_line(Line{}
                     .text("Liftoff thrust = ")
                     .fixed(r.liftoff_thrust, 1, 0)
                     .text(" N at ")
                     .fixed(r.liftoff_acceleration, 5, 2)
                     .text(" m/s")
                     .text(symbols.squared)
                     .text(" for ")
                     .fixed(r.liftoff_mass, 1, 0)
                     .text(" kg"));
  if (session_maxima != nullptr) {
    out.write_line(Line{}
                       .text("Maximum dynamic pressure = ")
                       .fixed(session_maxima->dynamic_pressure, 1, 0)
                       .text(" Pa at ")
                       .fixed(session_maxima->dynamic_pressure_time, 5, 2)
                       .text(" s"));
    out.write_line(Line{}
                       .text("Maximum acceleration = ")
                       .fixed(session_maxima->acceleration, 5, 2)
                       .text(" m/s")
                       .text(symbols.squared)
                       .text(" at ")
                       .fixed(session_maxima->acceleration_time, 5, 2)
                       .text(" s"));
  }
  out.write_line(Line{}
                     .text("  S3_Mt   = ")
                     .fixed(r.budget.S3_Mt, 7, 0)
                     .text("; {kg, interstage, third stage and payload mass}"));
}

void write_summary_tail(TextChannel& out, const FlightResult& r, Real recommended_maxa,
                        const Symbols& symbols, const Vehicle& vehicle) {
  out.write_line(Line{}.text("  SC_M    = ").fixed(r.budget.SC_M, 7, 0).text("; {kg, Spacecraft mass}"));
  out.write_line("");
  out.write_line(recommended_maxa_line(recommended_maxa, symbols));
  write_outcome_warning(out, r, vehicle);
  out.write_line("");
}

void write_orbit_lines(TextChannel& out, const FlightResult& r, const Symbols& symbols) {
  out.write_line(propellant_line(r));
  out.write_line(orbit_line(r, symbols));
  // The line above keeps its words for the transcripts that look for it; an
  // orbit through the ground is none, and this says so.
  if (!(r.orbit.perigee > 0.0)) out.write_line(BELOW_SURFACE_WARNING);
}

void write_orbit_outcome(TextChannel& out, const FlightResult& r, Real recommended_maxa,
                         const Symbols& symbols, const Vehicle& vehicle) {
  write_orbit_lines(out, r, symbols);
  out.write_line(recommended_maxa_line(recommended_maxa, symbols));
  write_outcome_warning(out, r, vehicle);
}

}  // namespace ascent
