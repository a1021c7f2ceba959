#include "text/trajectory_row.hpp"

#include "base/earth.hpp"

namespace ascent {

void write_table_header(TextChannel& out, const Symbols& symbols) {
  out.write_line("");
  out.write_line("   t      a     vi     h0       r0      alpha  beta  theta     Pq     m0+Me");
  out.write_line(Line{}
                     .text("  sec    m/s")
                     .text(symbols.squared)
                     .text("  m/s   metres   metres     deg    deg   deg      Pa       kg"));
  out.write_line("-----------------------------------------------------------------------------");
}

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
  out.write_line(trajectory_row_line({state.t, state.a, state.vi, state.h0, state.r0,
                                      state.steering.alpha * factor, derived.beta * factor,
                                      derived.theta * factor, derived.Pq,
                                      state.stage.m_fixed + state.m_prop}));
}

void write_upright_row(TextChannel& out, const FlightState& s, Extended acceleration) {
  out.write_line(trajectory_row_line(
      {s.t, acceleration, s.stage.v_earth, s.h0, s.r0, 90.0L, 0.0L, 90.0L, 0.0L, s.mass()}));
}

void write_plot_lines(PlotChannels& plots, const FlightState& state,
                      const StepQuantities& derived) {
  // The time leads every plot line: its digits are formed once, and the
  // line keeps them while each plot's value takes the place of the last.
  Line line;
  const std::size_t time = line.fixed(state.t, 7, 2).view().size();
  plots.speed.write_line(line.fixed(state.vi / 1000.0L, 6, 3));
  plots.height.write_line(line.keep(time).fixed(state.h0 / 1000.0L, 9, 3));
  plots.accel.write_line(line.keep(time).fixed(state.a, 8, 3));
  plots.dynpres.write_line(line.keep(time).fixed(derived.Pq / 1000.0L, 9, 4));
}

}  // namespace ascent
