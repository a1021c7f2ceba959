#include "text/event_lines.hpp"

#include <string_view>

#include "text/trajectory_row.hpp"

namespace ascent {

namespace {

std::string_view event_words(FlightEventKind kind) {
  switch (kind) {
    case FlightEventKind::pitch_over:
      return "Pitch over!";
    case FlightEventKind::end_of_turn:
      return "End turn.";
    case FlightEventKind::booster_separation:
      return "Booster seperation! Residual booster propellant = ";
    case FlightEventKind::fairing_jettison:
      return "PLF Jettison!";
    case FlightEventKind::core_cutoff:
      return "Core Engine Cutoff!";
    case FlightEventKind::core_separation:
      return "Core Separation! Vacuum and zero gravity delta-V = ";
    case FlightEventKind::upper_stage_ignition:
      return "Upper Stage Ignition!";
    case FlightEventKind::upper_stage_mainstage:
      return "Upper Stage Mainstage!";
    case FlightEventKind::upper_stage_cutoff:
      return "Upper Stage Engine Cutoff!";
    case FlightEventKind::upper_stage_separation:
      return "Upper Stage Separation!";
    case FlightEventKind::on_pad:
    case FlightEventKind::liftoff:
    case FlightEventKind::long_record_interval:
      break;
  }
  return "";
}

}  // namespace

std::string_view orbit_failure_words(OrbitFailure why) {
  switch (why) {
    case OrbitFailure::not_finite:
      return "the state is no longer finite";
    case OrbitFailure::fell_to_ground:
      return "the vehicle fell back to the ground";
    case OrbitFailure::mass_used_up:
      return "its mass is used up";
    case OrbitFailure::no_thrust_in_dense_air:
      return "the effective thrust fell to zero in dense air";
    case OrbitFailure::escapes:
      return "it separates past the escape speed, on no closed orbit";
    case OrbitFailure::propellant_far_exceeded:
      return "the burn ran far past the propellant load";
    case OrbitFailure::thrust_too_weak:
      return "the upper stage's thrust is below a hundredth of its weight";
    case OrbitFailure::target_orbit_missed:
      return "the guidance missed the target orbit";
    case OrbitFailure::skims_atmosphere:
      return "after core separation it skims the atmosphere";
    case OrbitFailure::no_liftoff:
      return "the thrust never lifts the vehicle off the pad";
    case OrbitFailure::flight_time_exceeded:
      return "the flight sequence did not end within its time limit";
    case OrbitFailure::none:
      break;
  }
  return "no reason";
}

Line event_line(const FlightEvent& event) {
  Line line;
  line.text(event_words(event.kind));
  if (event.kind == FlightEventKind::booster_separation) line.fixed(event.value, 1, 0).text(" kg.");
  if (event.kind == FlightEventKind::core_separation) line.fixed(event.value, 3, 1).text(" m/s");
  return line;
}

void write_event_lines(TextChannel& out, const FlightEvent& event, const FlightState& state) {
  switch (event.kind) {
    case FlightEventKind::on_pad:
    case FlightEventKind::liftoff:
      write_upright_row(out, state, event.value);
      return;
    case FlightEventKind::long_record_interval:
      out.write_line("Error! Booster time increments must be at most 1 second");
      return;
    default:
      out.write_line(event_line(event));
      break;
  }
  if (event.kind == FlightEventKind::upper_stage_separation) {
    out.write_line(Line{}.text("Vacuum and zero gravity delta-V = ").fixed(event.value, 3, 1).text(" m/s"));
  }
}

Line early_end_reason(const FlightResult& result, const Vehicle& vehicle) {
  Line line;
  switch (result.end) {
    case FlightEnd::turn_too_long:
      line.text("Turn time too long: the recovery would end at ")
          .fixed(result.recovery_end, 1, 2)
          .text(" s, after booster separation at ")
          .fixed(vehicle.boosters.separation_time, 1, 1)
          .text(" s.");
      break;
    case FlightEnd::cannot_reach_orbit:
      line.text("Upper stage cannot reach orbit speed: ")
          .text(orbit_failure_words(result.failure))
          .text(" at t = ")
          .fixed(result.failure_time, 1, 2)
          .text(" s.");
      break;
    case FlightEnd::upper_stage_separated:
      break;
  }
  return line;
}

Line early_end_line(const FlightResult& result, const Vehicle& vehicle) {
  const Line reason = early_end_reason(result, vehicle);
  return reason.view().empty() ? reason : Line{}.text("Error! ").text(reason.view());
}

}  // namespace ascent
