// A report page and its SVG charts: every value given is drawn, gaps stay
// gaps, text is escaped, and the page needs nothing from outside itself.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "text/html_report.hpp"
#include "text/svg_chart.hpp"

namespace ascent::testing {
namespace {

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

constexpr double GAP = NAN;

TEST(SvgChart, DrawsEveryFiniteValueAndBreaksLinesAtGaps) {
  Chart chart{ChartKind::lines, "Speed <inertial>", "time [s]", "speed [km/s]",
              {{"a", {0, 1, 2, 3, 4}, {1, 2, GAP, 4, 5}}, {"b", {0, 1}, {3, 3}}},
              {{2.0, "pitch-over"}, {99.0, "beyond the axis"}}, {}};
  const std::string lines = svg_chart(chart);
  EXPECT_EQ(count(lines, "<polyline"), 3u);  // a in two pieces, and b
  EXPECT_NE(lines.find("Speed &lt;inertial&gt;"), std::string::npos);
  EXPECT_NE(lines.find(">pitch-over<"), std::string::npos);
  EXPECT_EQ(lines.find("beyond the axis"), std::string::npos);
  EXPECT_NE(lines.find(">b<"), std::string::npos) << "two series have a legend";

  chart.kind = ChartKind::points;
  EXPECT_EQ(count(svg_chart(chart), "<circle"), 6u);

  // Values that differ in their last bits get ticks of their own size.
  const std::string flat = svg_chart(
      {ChartKind::lines, "flat", "x", "y", {{"", {0, 1}, {97332.0, 97332.000000001}}}, {}, {}});
  EXPECT_NE(flat.find(">100000<"), std::string::npos) << flat;

  // Ten values in shared bins: the bars' heights add up to the count.
  Chart histogram{ChartKind::histogram, "h", "x", "", {{"", {}, {1, 1, 1, 2, 2, 3, 4, 5, 5, GAP}}},
                  {}, {}};
  const std::string bars = svg_chart(histogram);
  EXPECT_NE(bars.find(">count<"), std::string::npos);
  EXPECT_GE(count(bars, "fill-opacity=\"0.65\""), 4u);

  Chart drivers{ChartKind::bars, "d", "r", "", {{"", {}, {-0.5, 0.25}}}, {}, {"drag", "thrust"}};
  const std::string driven = svg_chart(drivers);
  EXPECT_NE(driven.find(">drag<"), std::string::npos);
  EXPECT_NE(driven.find(">thrust<"), std::string::npos);
  EXPECT_NE(driven.find("fill=\"#d62728\""), std::string::npos) << "a negative bar in red";
}

TEST(SvgChart, MarksCloserThanALabelShareOneLabel) {
  // 0 to 100 s over some 460 pixels: 0, 1 and 2 s are within a label's height.
  const Chart chart{ChartKind::lines, "t", "time [s]", "y", {{"", {0, 100}, {0, 1}}},
                    {{0.0, "cutoff"}, {1.0, "separation"}, {2.0, "ignition"}, {50.0, "jettison"},
                     {99.0, "end"}, {100.0, "last"}},
                    {}};
  const std::string svg = svg_chart(chart);
  EXPECT_EQ(count(svg, "stroke-dasharray"), 6u) << "a line for every mark";
  EXPECT_EQ(count(svg, "rotate(-90"), 4u) << "four labels: two shared, two alone";
  EXPECT_NE(svg.find(">cutoff to ignition<"), std::string::npos) << svg;
  EXPECT_NE(svg.find(">jettison<"), std::string::npos);
  EXPECT_NE(svg.find(">end, last<"), std::string::npos);
}

TEST(SvgChart, TicksLeaveRoomForTheirNumbers) {
  // On a chart 200 pixels wide, steps of 20 would put "100" under ticks 21 pixels apart.
  const std::string svg =
      svg_chart({ChartKind::lines, "narrow", "x", "y", {{"", {0, 100}, {0, 1}}}, {}, {}}, 200);
  EXPECT_EQ(svg.find(">20<"), std::string::npos) << svg;
  EXPECT_NE(svg.find(">40<"), std::string::npos) << svg;
  EXPECT_NE(svg.find(">80<"), std::string::npos) << svg;
}

/// The number after `key="` at or after `from` in `svg`.
double attribute(const std::string& svg, const std::string& key, std::size_t from = 0) {
  const std::size_t at = svg.find(key + "=\"", from);
  return at == std::string::npos ? NAN : std::stod(svg.substr(at + key.size() + 2));
}

TEST(SvgChart, AMapKeepsTheGroundsProportionsAndDrawsDotsAndLines) {
  // A track along the 60th parallel and an impact a degree north of its middle.
  const Chart map{ChartKind::map, "Ground track", "longitude [deg]", "latitude [deg]",
                  {{"track", {0, 5, 10}, {60, 60, 60}}, {"core", {5, 5.5}, {61, 61}, true}},
                  {}, {}};
  const std::string svg = svg_chart(map);
  EXPECT_EQ(count(svg, "<polyline"), 1u);
  EXPECT_EQ(count(svg, "<circle"), 2u);
  EXPECT_NE(svg.find(">core<"), std::string::npos);
  // Pixels per degree east are those per degree north times the cosine of the middle latitude.
  const std::size_t line = svg.find("<polyline");
  const std::string points = svg.substr(svg.find("points=\"", line) + 8);
  const double x0 = std::stod(points);
  const double y0 = std::stod(points.substr(points.find(',') + 1));
  const double x1 = std::stod(points.substr(points.find(' ') + 1));
  const double cy = attribute(svg, "cy", svg.find("<circle"));
  const double per_degree_east = (x1 - x0) / 5.0;
  const double per_degree_north = (y0 - cy) / 1.0;
  EXPECT_NEAR(per_degree_east / per_degree_north, std::cos(60.5 * M_PI / 180.0), 0.004);
}

TEST(HtmlReport, IsOnePageThatFetchesNothing) {
  HtmlReport page("Study & review");
  page.add_facts({{"command", "ascent-trim sweep --from 10 --to 30 --report \"r.html\""}});
  page.add_table({"turn time", "status"}, {{"20", "trimmed"}, {"1e3", "<none>"}});
  page.add_chart({ChartKind::lines, "one", "x", "y", {{"", {0, 1}, {0, 1}}}, {}, {}});
  page.add_chart({ChartKind::lines, "two", "x", "y", {{"", {0, 1}, {1, 0}}}, {}, {}});
  page.add_preformatted("a  b\n1  2");
  const std::string html = page.page();
  EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(html.find("<title>Study &amp; review</title>"), std::string::npos);
  EXPECT_NE(html.find("--report &quot;r.html&quot;"), std::string::npos);
  EXPECT_NE(html.find("<td class=\"n\">1e3</td><td>&lt;none&gt;</td>"), std::string::npos);
  EXPECT_NE(html.find("data-charts=\"2\""), std::string::npos);
  EXPECT_EQ(count(html, "<div class=\"charts\">"), 1u) << "charts in a row share it";
  EXPECT_EQ(count(html, "<svg "), 2u);
  for (const char* outside : {"src=", "href=", "url(", "@import"}) {
    EXPECT_EQ(html.find(outside), std::string::npos) << outside;
  }
}

}  // namespace
}  // namespace ascent::testing
