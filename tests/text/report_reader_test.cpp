// A report page as a reader meets it: names of columns that hold markup
// characters read as text, a heading starts below the charts before it, a
// larger value sits higher on a chart, and a name in another encoding than
// UTF-8 does not break the page's declared UTF-8.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/utf8_check.hpp"
#include "text/html_report.hpp"
#include "text/svg_chart.hpp"

namespace ascent::testing {
namespace {

Chart rising(const std::string& title) {
  return {ChartKind::lines, title, "x", "y", {{"", {0.0, 1.0}, {0.0, 10.0}}}, {}, {}};
}

/// How many <div> elements are open at `position` of `html`.
int open_divs_at(const std::string& html, std::size_t position) {
  int depth = 0;
  for (std::size_t at = html.find("<div"); at < position; at = html.find("<div", at + 1)) ++depth;
  for (std::size_t at = html.find("</div>"); at < position; at = html.find("</div>", at + 1)) {
    --depth;
  }
  return depth;
}

/// The pixel coordinates of the first polyline's points.
std::vector<std::pair<double, double>> polyline_points(const std::string& svg) {
  const std::string start = "points=\"";
  std::size_t at = svg.find("<polyline");
  at = svg.find(start, at) + start.size();
  const std::size_t end = svg.find('"', at);
  std::vector<std::pair<double, double>> points;
  const std::string text = svg.substr(at, end - at);
  const char* p = text.c_str();
  while (*p != '\0') {
    char* after = nullptr;
    const double x = std::strtod(p, &after);
    if (after == p) break;
    const double y = std::strtod(after + 1, &after);  // past the comma
    points.emplace_back(x, y);
    p = after;
    while (*p == ' ') ++p;
  }
  return points;
}

TEST(ReportForAReader, ColumnNamesWithMarkupCharactersReadAsText) {
  HtmlReport page("columns");
  page.add_table({"mass & margin", "<b>bold</b>", "say \"q\"", "it's"}, {{"1", "2", "3", "4"}});
  const std::string html = page.page();
  EXPECT_NE(html.find("<th>mass &amp; margin</th>"), std::string::npos) << html;
  EXPECT_NE(html.find("<th>&lt;b&gt;bold&lt;/b&gt;</th>"), std::string::npos);
  EXPECT_NE(html.find("<th>say &quot;q&quot;</th>"), std::string::npos);
  EXPECT_NE(html.find("<th>it&#39;s</th>"), std::string::npos);
  EXPECT_EQ(html.find("<b>bold"), std::string::npos) << "a column name became markup";
}

TEST(ReportForAReader, AHeadingStartsBelowTheChartsBeforeIt) {
  HtmlReport page("rows");
  page.add_chart(rising("first"));
  page.add_chart(rising("second"));
  page.add_heading("Further figures");
  page.add_chart(rising("third"));
  const std::string html = page.page();
  const std::size_t heading = html.find("<h2>Further figures</h2>");
  ASSERT_NE(heading, std::string::npos);
  EXPECT_EQ(open_divs_at(html, heading), 0) << "the heading sits inside the row of charts";
  // The charts before it share one row, the chart after it starts another.
  EXPECT_EQ(open_divs_at(html, html.find("second")), 1);
  EXPECT_EQ(open_divs_at(html, html.find("third")), 1);
  EXPECT_GT(html.rfind("<div class=\"charts\">"), heading);
}

TEST(ReportForAReader, ALargerValueSitsHigherOnTheChart) {
  for (const std::vector<double>& y :
       {std::vector<double>{0.0, 10.0}, std::vector<double>{-5e6, 3e6}, std::vector<double>{7.0, 7.5}}) {
    const std::string svg =
        svg_chart({ChartKind::lines, "y", "x", "y", {{"", {0.0, 1.0}, y}}, {}, {}});
    const auto points = polyline_points(svg);
    ASSERT_EQ(points.size(), 2u) << svg;
    EXPECT_LT(points[0].first, points[1].first) << "a larger x sits further right";
    // SVG's y grows down the page.
    EXPECT_GT(points[0].second, points[1].second) << "a larger y must sit higher: " << svg;
  }
}

TEST(ReportForAReader, ANameInAnotherEncodingKeepsThePageUtf8) {
  HtmlReport page("decks");
  const std::string latin1_name = "vehicle-\xe9t\xe9.toml";  // "été" in ISO 8859-1
  const std::string utf8_name = "vehicle-\xc3\xa9t\xc3\xa9.toml";
  page.add_facts({{"vehicle deck", latin1_name}, {"other deck", utf8_name}});
  page.add_table({latin1_name}, {{"\xff\xfe"}});
  page.add_chart(rising("chart of " + latin1_name));
  const std::string html = page.page();
  EXPECT_TRUE(well_formed_utf8(html));
  EXPECT_NE(html.find("vehicle-\xef\xbf\xbdt\xef\xbf\xbd.toml"), std::string::npos)
      << "each foreign byte shown as U+FFFD";
  EXPECT_NE(html.find(utf8_name), std::string::npos) << "UTF-8 names are kept as they are";
}

}  // namespace
}  // namespace ascent::testing
