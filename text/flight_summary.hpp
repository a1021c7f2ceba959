// The summary at the end of a run: the orbit, the delta-V, the loads, the
// upper stage's mass budget and the recommended maximum angle of attack. The
// constants file is written between the budget's two lines, so the summary
// comes in two parts.
#pragma once

#include "base/real.hpp"
#include "mission/flight_result.hpp"
#include "mission/vehicle.hpp"
#include "text/symbols.hpp"
#include "text/text_channel.hpp"

namespace ascent {

/// From the empty line before the turn time to the S3_Mt line. `session_maxima`,
/// the loads of every run so far, are shown when given (with an output file).
void write_summary_head(TextChannel& out, const FlightResult& result, const Symbols& symbols,
                        const LoadMaxima* session_maxima);

/// From the SC_M line to the recommended maxa [rad], the outcome's warning
/// of a flight of `vehicle` not in orbit, and the empty line after them.
void write_summary_tail(TextChannel& out, const FlightResult& result, Real recommended_maxa,
                        const Symbols& symbols, const Vehicle& vehicle);

/// The remaining propellant and the orbit lines of the summary head (with
/// the warning for an orbit through the ground).
void write_orbit_lines(TextChannel& out, const FlightResult& result, const Symbols& symbols);

/// The orbit lines, the recommended maxa [rad] and the outcome's warning:
/// a run's outcome in brief.
void write_orbit_outcome(TextChannel& out, const FlightResult& result, Real recommended_maxa,
                         const Symbols& symbols, const Vehicle& vehicle);

}  // namespace ascent
