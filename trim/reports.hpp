// The tables of ascent-trim, readable or CSV: a trim, the trade table of a
// sweep, the events of a flight, and the time history of a flight (CSV).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "studies/columns.hpp"
#include "studies/flight_ground.hpp"
#include "studies/flight_recorder.hpp"
#include "studies/staged_capability.hpp"
#include "studies/staged_history.hpp"
#include "studies/sweep.hpp"
#include "studies/target.hpp"
#include "studies/trim_solver.hpp"

namespace ascent::trim {

enum class Format { table, csv };

/// The names of `columns`, comma-separated: a CSV file's header line.
std::string csv_header(std::span<const studies::Column> columns);

/// A field for a CSV line: quoted when it holds a comma, a quote or a line end.
std::string csv_field(std::string_view text);

/// A row of the trade table's CSV (no line end).
std::string trade_csv_row(const studies::SweepRow& row);

/// One line of a readable report: the name, the value right-aligned, the unit.
void write_report_line(std::ostream& out, std::string_view name, const std::string& value,
                       std::string_view unit);
/// The three load maxima of a flight, each with its time, as report lines.
void write_loads(std::ostream& out, const LoadMaxima& loads);

/// The trimmed angle and the summary of its flight; in CSV the header and
/// the one row of the trade table.
void write_trim_report(std::ostream& out, const studies::TrimResult& result,
                       const studies::TrimSettings& settings, Format format);

/// The angle of a trimmed (or guided) plan and the summary of its flight.
void write_plan_lines(std::ostream& out, const studies::TrimResult& result);

/// "Guided upper stage, turn time 20 s, to 200.000 x 200.000 km".
void write_guided_heading(std::ostream& out, const studies::TypedNumber& turn_time, double perigee,
                          double apogee);

/// The guided flight to a target orbit: the orbit aimed at and reached, the
/// propellant left and the payload; in CSV a header and one row.
void write_target_report(std::ostream& out, const studies::TargetResult& result, Format format);

/// The trade table of a sweep, written as its rows come: the header, one
/// row per turn time, and after the last row the turn time with the largest
/// payload of the feasible ones (the readable table only).
void write_trade_header(std::ostream& out, const studies::TrimSettings& settings, Format format);
void write_trade_row(std::ostream& out, const studies::SweepRow& row, Format format);
/// `best` of `turn_times` turn times swept; says when it is the first or the
/// last of them, where a larger payload may lie beyond the range.
void write_trade_footer(std::ostream& out, const std::optional<studies::SweepRow>& best,
                        std::size_t turn_times, Format format);

/// The events of the flight of `result`: time, altitude, speed, flight-path
/// angles, dynamic pressure and mass at each; in CSV also where it is over `ground`.
void write_event_table(std::ostream& out, const studies::TrimResult& result,
                       const std::vector<studies::EventRecord>& events,
                       const studies::FlightGround& ground, Format format);

/// Where the elements dropped by the flight of `flight` ("turn time 20 s,
/// ...") come down.
void write_impact_table(std::ostream& out, const std::string& flight,
                        const std::vector<studies::ImpactRecord>& impacts, Format format);

/// One CSV line per step after the header, every value in its shortest exact
/// form, ending with where the step is over `ground`.
void write_history_csv(std::ostream& out, const std::vector<studies::StepRecord>& steps,
                       const studies::FlightGround& ground);

/// The events of a staged flight and how it ended; in CSV one row per event.
void write_staged_events(std::ostream& out, const StagedVehicle& vehicle,
                         const StagedResult& result, Format format);

/// The time history of a staged flight (CSV), one row per step.
void write_staged_history_csv(std::ostream& out, const StagedVehicle& vehicle,
                              const StagedResult& result);

/// The largest payload of a staged vehicle, its margin, its orbit and the
/// flights it took; in CSV one header line and one row.
void write_capability_report(std::ostream& out, const StagedVehicle& vehicle,
                             const studies::CapabilityResult& result, double reserve,
                             Format format);

}  // namespace ascent::trim
