#include "dynamics/trajectory_row.hpp"

#include "dynamics/earth.hpp"

namespace ascent {

Line trajectory_row_line(const TrajectoryRow& row) {
  Line line;
  line.fixed(row.t, 7, 2)
      .fixed(row.a, 6, 1)
      .rounded(row.vi, 6)
      .rounded(row.h0, 8)
      .rounded(row.r0, 10)
      .fixed(row.alpha, 7, 2)
      .fixed(row.beta, 7, 2)
      .fixed(row.theta, 7, 2)
      .fixed(row.Pq, 9, 1)
      .fixed(row.mass, 10, 1);
  return line;
}

void write_trajectory_row(TextChannel& out, const FlightState& state,
                          const StepQuantities& derived) {
  // Radians to degrees: 180 divided by pi, once per row.
  const Real factor = 180.0L / PI;
  out.write_line(trajectory_row_line(
      {state.t, state.a, state.vi, state.h0, state.r0, state.alpha * factor, derived.beta * factor,
       derived.theta * factor, derived.Pq, state.m_fixed + state.m_prop}));
}

void write_plot_lines(Channels& io, const FlightState& state, const StepQuantities& derived) {
  io.speed_file().write_line(Line{}.fixed(state.t, 7, 2).fixed(state.vi / 1000.0L, 6, 3));
  io.height_file().write_line(Line{}.fixed(state.t, 7, 2).fixed(state.h0 / 1000.0L, 9, 3));
  io.accel_file().write_line(Line{}.fixed(state.t, 7, 2).fixed(state.a, 8, 3));
  io.dynpres_file().write_line(Line{}.fixed(state.t, 7, 2).fixed(derived.Pq / 1000.0L, 9, 4));
}

}  // namespace ascent
