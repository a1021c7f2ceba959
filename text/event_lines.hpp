// The lines the table shows for the events of a flight, and the line that
// says why a run ended early.
#pragma once

#include <string_view>

#include "mission/flight_event.hpp"
#include "mission/flight_result.hpp"
#include "mission/vehicle.hpp"
#include "text/line.hpp"
#include "text/text_channel.hpp"

namespace ascent {

/// The line of an event in the table, without its line end; empty for the
/// events the table shows as rows (on the pad, liftoff) or as a warning.
[[nodiscard]] Line event_line(const FlightEvent& event);

/// Writes what the table shows for `event` at `state`: the upright row on the
/// pad and at liftoff, otherwise the event's line (two at upper-stage separation).
void write_event_lines(TextChannel& out, const FlightEvent& event, const FlightState& state);

/// Why a flight ended before upper-stage separation, in the words of its
/// "Error! ..." line without the mark; empty for a flight flown to the end.
[[nodiscard]] Line early_end_reason(const FlightResult& result, const Vehicle& vehicle);

/// Why an upper stage could not reach orbit, in a few words.
[[nodiscard]] std::string_view orbit_failure_words(OrbitFailure why);

/// The "Error! ..." line of a flight that ended before upper-stage
/// separation; empty for a flight flown to the end.
[[nodiscard]] Line early_end_line(const FlightResult& result, const Vehicle& vehicle);

}  // namespace ascent
