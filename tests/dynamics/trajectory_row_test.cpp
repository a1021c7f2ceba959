// The trajectory row and the plot-file lines, byte for byte.
#include "text/trajectory_row.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "dynamics/flight_harness.hpp"

namespace ascent::testing {
namespace {

/// The bytes that write_trajectory_row puts on a channel for a state with
/// ties in the integer columns (vi 412.5, h0 1234.5, r0 7.5).
std::string written_row(double vi, double h0, double r0) {
  FlightState s;
  s.t = 123.456;
  s.a = 12.34;
  s.vi = vi;
  s.h0 = h0;
  s.r0 = r0;
  s.steering.alpha = 0.5;
  s.stage.m_fixed = 1000.0;
  s.m_prop = 234.5;
  StepQuantities q;
  q.beta = -0.25;
  q.theta = 1.5;
  q.Pq = 12345.6;
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* stream = open_memstream(&buffer, &size);
  {
    TextChannel channel = TextChannel::borrow(stream, "row");
    write_trajectory_row(channel, s, q);
    channel.close();
  }
  std::fclose(stream);
  std::string bytes(buffer, size);
  std::free(buffer);
  return bytes;
}

TEST(TrajectoryRow, ColumnsInTheirWidthsWithCrLf) {
  // 7:2, 6:1, round:6, round:8, round:10, 7:2 degrees three times, 9:1, 10:1.
  EXPECT_EQ(written_row(412.5, 1234.5, 7.5),
            " 123.46"
            "  12.3"
            "   412"
            "    1234"
            "         8"
            "  28.65"
            " -14.32"
            "  85.94"
            "  12345.6"
            "    1234.5"
            "\r\n");
}

TEST(TrajectoryRow, IntegerColumnsRoundTiesToEvenAndWideValuesPushRight) {
  const std::string row = written_row(413.5, -0.5, 12345678900.5);
  EXPECT_EQ(row.substr(13, 6), "   414");
  EXPECT_EQ(row.substr(19, 8), "       0");  // no sign on a zero
  EXPECT_EQ(row.substr(27, 11), "12345678900");
  EXPECT_EQ(row.substr(38, 7), "  28.65");
}

TEST(PlotFiles, OneLineEachWithTheTimeFirst) {
  FlightHarness h(Output::file);
  FlightState& s = h.state();
  s.t = 61.5;
  s.vi = 1234.5678;
  s.h0 = 45678.9;
  s.a = 14.25;
  StepQuantities q;
  q.Pq = 12345.6;
  write_plot_lines(h.io.plots(), s, q);
  EXPECT_EQ(h.file("speed.dat"), "  61.50 1.235\r\n");
  EXPECT_EQ(h.file("height.dat"), "  61.50   45.679\r\n");
  EXPECT_EQ(h.file("accel.dat"), "  61.50  14.250\r\n");
  EXPECT_EQ(h.file("dynpres.dat"), "  61.50  12.3456\r\n");
}

TEST(PlotFiles, WrittenByEveryStepOnlyWithAnOutputFile) {
  FlightHarness h(Output::file);
  set_vacuum_burn(h.state());
  h.sim.rk4_step();
  h.sim.rk4_step();
  EXPECT_EQ(h.file("flight.txt").size(), 2u * 79u);
  EXPECT_EQ(h.file("dynpres.dat"), "   1.00   0.0000\r\n   2.00   0.0000\r\n");

  FlightHarness console;
  set_vacuum_burn(console.state());
  console.sim.rk4_step();
  EXPECT_EQ(console.output_lines().size(), 1u);
  EXPECT_FALSE(console.io.plots().speed.is_open());
}

}  // namespace
}  // namespace ascent::testing
