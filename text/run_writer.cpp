#include "text/run_writer.hpp"

#include "base/interruption.hpp"
#include "text/constants_file.hpp"
#include "text/event_lines.hpp"
#include "text/flight_summary.hpp"
#include "text/session_files.hpp"

namespace ascent {

void write_answer(TextChannel& out, std::string_view prompt, Real answer) {
  out.write_line(Line{}.text(prompt.substr(0, MAX_TEXT_LENGTH)).fixed(answer, 6, 3));
}

void RunWriter::on_step(const FlightState& state, const StepQuantities& derived) {
  write_trajectory_row(out_, state, derived);
  if (plots_ != nullptr) write_plot_lines(*plots_, state, derived);
  if (next_ != nullptr) next_->on_step(state, derived);
  check_interruption();
}

void RunWriter::on_event(const FlightEvent& event, const FlightState& state) {
  write_event_lines(out_, event, state);
  if (next_ != nullptr) next_->on_event(event, state);
  check_interruption();
}

void write_run_end(TextChannel& out, const FlightResult& result, const RunEnd& end) {
  if (!result.separated()) {
    out.write_line(early_end_line(result, end.vehicle));
    return;
  }
  write_summary_head(out, result, end.symbols, end.session_maxima);
  if (!end.constants_file.empty()) {
    write_constants_file(end.constants_file, result.budget, end.vehicle);
  }
  write_summary_tail(out, result, end.recommended_maxa, end.symbols, end.vehicle);
}

void write_run_outcome(TextChannel& out, const FlightResult& result, const RunEnd& end) {
  if (!result.separated()) {
    out.write_line(early_end_line(result, end.vehicle));
    return;
  }
  write_orbit_outcome(out, result, end.recommended_maxa, end.symbols, end.vehicle);
}

}  // namespace ascent
