// Charts drawn as inline SVG for a report page: lines or points against an
// axis, a histogram of values, horizontal bars by name, and a map of
// ground tracks and impact points over a latitude-longitude grid. Self-contained:
// no script, font file or network is needed to show them.
#pragma once

#include <string>
#include <vector>

namespace ascent {

struct ChartSeries {
  std::string name;
  std::vector<double> x;  ///< a histogram or bar chart takes only y
  std::vector<double> y;  ///< NaN leaves a gap
  bool dots = false;      ///< on a map: drawn as points (impacts), not as a line (a track)
};

/// A vertical line at `x` with its label: an event of a flight, a nominal value.
struct ChartMark {
  double x = 0.0;
  std::string label;
};

enum class ChartKind {
  lines,      ///< each series a curve, x against y
  points,     ///< each series a scatter of x against y
  histogram,  ///< the y values of each series counted in shared bins
  bars,       ///< one horizontal bar per category: series[0].y[i] for categories[i]
  map,        ///< longitude (x) against latitude (y) in degrees, a degree of latitude as long
              ///< as one of longitude at the middle latitude times its cosine; lines or dots
};

struct Chart {
  ChartKind kind = ChartKind::lines;
  std::string title;
  std::string x_label;
  std::string y_label;
  std::vector<ChartSeries> series;
  std::vector<ChartMark> marks;
  std::vector<std::string> categories;  ///< bars only
};

/// The chart as one <svg> element, `width` by `height` pixels.
[[nodiscard]] std::string svg_chart(const Chart& chart, int width = 560, int height = 340);

/// `text` with &, <, >, " and ' as XML entities, and each byte that is no
/// part of a well-formed UTF-8 character (a file name in another encoding)
/// as U+FFFD: the pages declare UTF-8.
[[nodiscard]] std::string xml_escaped(const std::string& text);

}  // namespace ascent
