// The trajectory table: its header, the row that every integration step
// writes, the rows of the vehicle standing upright on the pad, and the lines
// of the four plot files (speed, height, acceleration and dynamic pressure
// against time) that go with each row when the output goes to a named file.
#pragma once

#include "base/real.hpp"
#include "dynamics/flight_state.hpp"
#include "dynamics/step_quantities.hpp"
#include "text/line.hpp"
#include "text/symbols.hpp"
#include "text/text_channel.hpp"

namespace ascent {

/// The ten columns of a trajectory row, in the units the table shows.
struct TrajectoryRow {
  Extended t;      ///< [s] 7:2
  Extended a;      ///< [m/s^2] thrust acceleration, 6:1
  Extended vi;     ///< [m/s] inertial speed, round:6
  Extended h0;     ///< [m] altitude, round:8
  Extended r0;     ///< [m] downrange distance, round:10
  Extended alpha;  ///< [deg] held steering angle, 7:2
  Extended beta;   ///< [deg] inertial flight-path angle, 7:2
  Extended theta;  ///< [deg] Earth-relative flight-path angle, 7:2
  Extended Pq;     ///< [Pa] dynamic pressure, 9:1
  Extended mass;   ///< [kg] m_fixed + m_prop, 10:1
};

/// The four plot files.
struct PlotChannels {
  TextChannel speed;    ///< speed.dat: km/s
  TextChannel height;   ///< height.dat: km
  TextChannel accel;    ///< accel.dat: m/s^2
  TextChannel dynpres;  ///< dynpres.dat: kPa
};

/// The four header lines of the table, the first one empty.
void write_table_header(TextChannel& out, const Symbols& symbols);

/// The row in the table's column layout, without its line end: 77 characters
/// when every value fits its field; a wider value pushes the rest right.
[[nodiscard]] Line trajectory_row_line(const TrajectoryRow& row);

/// Writes the row of the step that has just ended: the flight state after
/// the step, with the angles in degrees.
void write_trajectory_row(TextChannel& out, const FlightState& state,
                          const StepQuantities& derived);

/// Writes the row of the vehicle standing upright (on the pad, at liftoff)
/// with the thrust acceleration `acceleration` [m/s^2].
void write_upright_row(TextChannel& out, const FlightState& state, Extended acceleration);

/// Writes the step's line to each plot file, the time first.
void write_plot_lines(PlotChannels& plots, const FlightState& state,
                      const StepQuantities& derived);

}  // namespace ascent
