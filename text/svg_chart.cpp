#include "text/svg_chart.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

namespace ascent {

namespace {

constexpr std::array<const char*, 8> PALETTE{"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                                             "#ff7f0e", "#17becf", "#8c564b", "#e377c2"};

/// Pixel coordinates rounded to a tenth: small pages, no visible difference.
std::string px(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

/// A closed interval of values, widened when it holds a single value.
struct Range {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();

  void take(double v) {
    if (!std::isfinite(v)) return;
    low = std::min(low, v);
    high = std::max(high, v);
  }
  [[nodiscard]] bool empty() const { return low > high; }
  [[nodiscard]] Range widened() const {
    if (empty()) return {0.0, 1.0};
    // A spread below a millionth of the values is drawn as one value: the
    // ticks need steps that the numbers can hold.
    if (high - low > 1e-6 * std::max(std::fabs(low), std::fabs(high))) return *this;
    const double half = low == 0.0 ? 1.0 : std::fabs(low) * 0.1;
    return {low - half, high + half};
  }
  /// Widened by `fraction` of its length at each end: no point sits on the frame.
  [[nodiscard]] Range padded(double fraction) const {
    const Range r = widened();
    const double margin = (r.high - r.low) * fraction;
    return {r.low - margin, r.high + margin};
  }
};

/// Round steps of about a fifth of the range (1, 2 or 5 times a power of ten).
struct Ticks {
  double first;
  double step;
  int decimals;
};

Ticks ticks_for(const Range& range) {
  const double rough = (range.high - range.low) / 5.0;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double fraction = rough / power;
  const double step = (fraction < 1.5 ? 1.0 : fraction < 3.5 ? 2.0 : fraction < 7.5 ? 5.0 : 10.0) * power;
  const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
  return {std::ceil(range.low / step - 1e-9) * step, step, decimals};
}

std::vector<double> tick_values(const Ticks& t, const Range& range) {
  std::vector<double> values;
  for (int i = 0; i <= 20; ++i) {
    const double v = t.first + t.step * i;
    if (v > range.high + t.step * 1e-9) break;
    values.push_back(v);
  }
  return values;
}

std::string tick_text(double value, int decimals) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, std::fabs(value) < 1e-12 ? 0.0 : value);
  return text;
}

/// Maps values to pixels inside the plot area.
struct Frame {
  double left, top, width, height;
  Range x, y;

  [[nodiscard]] double px_x(double v) const { return left + (v - x.low) / (x.high - x.low) * width; }
  [[nodiscard]] double px_y(double v) const {
    return top + height - (v - y.low) / (y.high - y.low) * height;
  }
};

std::string text_at(double x, double y, const std::string& text, const char* anchor,
                    const std::string& extra = "") {
  return "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\" text-anchor=\"" + anchor + "\"" + extra +
         ">" + xml_escaped(text) + "</text>";
}

/// [px] Roughly the width of a character of sans-serif text `size` pixels high.
double character_width(double size) { return 0.62 * size; }

std::string axes(const Frame& f, const Chart& chart, bool x_ticks, bool y_ticks) {
  std::string svg = "<g stroke=\"#ccc\" stroke-width=\"1\">";
  std::string labels = "<g font-size=\"11\" fill=\"#333\">";
  if (x_ticks) {
    Ticks t = ticks_for(f.x);
    // Steps wide enough for the numbers under them, none printed over the next.
    for (int widened = 0; widened < 4; ++widened) {
      std::size_t widest = 0;
      for (const double v : tick_values(t, f.x)) {
        widest = std::max(widest, tick_text(v, t.decimals).size());
      }
      if (t.step / (f.x.high - f.x.low) * f.width > character_width(11.0) * static_cast<double>(widest) + 8.0) break;
      t.step *= 2.0;
      t.first = std::ceil(f.x.low / t.step - 1e-9) * t.step;
    }
    for (const double v : tick_values(t, f.x)) {
      svg += "<line x1=\"" + px(f.px_x(v)) + "\" y1=\"" + px(f.top) + "\" x2=\"" + px(f.px_x(v)) +
             "\" y2=\"" + px(f.top + f.height) + "\"/>";
      // Low enough to clear the lowest number of the y axis at the corner.
      labels += text_at(f.px_x(v), f.top + f.height + 18, tick_text(v, t.decimals), "middle");
    }
  }
  if (y_ticks) {
    const Ticks t = ticks_for(f.y);
    for (const double v : tick_values(t, f.y)) {
      svg += "<line x1=\"" + px(f.left) + "\" y1=\"" + px(f.px_y(v)) + "\" x2=\"" +
             px(f.left + f.width) + "\" y2=\"" + px(f.px_y(v)) + "\"/>";
      labels += text_at(f.left - 5, f.px_y(v) + 4, tick_text(v, t.decimals), "end");
    }
  }
  svg += "</g><rect x=\"" + px(f.left) + "\" y=\"" + px(f.top) + "\" width=\"" + px(f.width) +
         "\" height=\"" + px(f.height) + "\" fill=\"none\" stroke=\"#666\"/>";
  labels += text_at(f.left + f.width / 2, f.top + f.height + 36, chart.x_label, "middle");
  const double y_middle = f.top + f.height / 2;
  labels += text_at(14, y_middle, chart.y_label, "middle",
                    " transform=\"rotate(-90 14 " + px(y_middle) + ")\"");
  return svg + labels + "</g>";
}

std::string curves(const Frame& f, const Chart& chart) {
  std::string svg;
  for (std::size_t s = 0; s < chart.series.size(); ++s) {
    const ChartSeries& series = chart.series[s];
    const char* colour = PALETTE[s % PALETTE.size()];
    const std::size_t n = std::min(series.x.size(), series.y.size());
    std::string points;
    const auto flush = [&] {
      if (!points.empty()) {
        svg += std::string("<polyline fill=\"none\" stroke-width=\"1.6\" stroke=\"") + colour +
               "\" points=\"" + points + "\"/>";
      }
      points.clear();
    };
    for (std::size_t i = 0; i < n; ++i) {
      if (!std::isfinite(series.x[i]) || !std::isfinite(series.y[i])) {
        flush();
        continue;
      }
      if (chart.kind == ChartKind::points || series.dots) {
        svg += "<circle r=\"2.4\" fill-opacity=\"0.7\" fill=\"" + std::string(colour) + "\" cx=\"" +
               px(f.px_x(series.x[i])) + "\" cy=\"" + px(f.px_y(series.y[i])) + "\"/>";
      } else {
        points += px(f.px_x(series.x[i])) + "," + px(f.px_y(series.y[i])) + " ";
      }
    }
    flush();
  }
  return svg;
}

/// The marks as dashed lines, each labelled beside its line from the top.
/// Marks closer than a label's height share one label ("pitch-over, end of
/// turn"; more than two: "core cutoff to upper-stage mainstage"), so that
/// labels never print over each other; a label longer than the plot is cut
/// short.
std::string marks(const Frame& f, const Chart& chart) {
  constexpr double SIZE = 10.0;  // [px] of the labels
  std::vector<std::pair<double, std::string>> shown;
  for (const ChartMark& mark : chart.marks) {
    if (mark.x >= f.x.low && mark.x <= f.x.high) shown.emplace_back(f.px_x(mark.x), mark.label);
  }
  std::stable_sort(shown.begin(), shown.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string svg = "<g font-size=\"10\" fill=\"#555\">";
  const auto longest = static_cast<std::size_t>((f.height - 8.0) / (0.9 * character_width(SIZE)));
  for (std::size_t first = 0; first < shown.size();) {
    std::size_t last = first;
    for (; last < shown.size() && shown[last].first - shown[first].first < SIZE + 2.0; ++last) {
      const double x = shown[last].first;
      svg += "<line stroke=\"#888\" stroke-dasharray=\"4 3\" x1=\"" + px(x) + "\" y1=\"" +
             px(f.top) + "\" x2=\"" + px(x) + "\" y2=\"" + px(f.top + f.height) + "\"/>";
    }
    std::string label = shown[first].second;
    if (last - first == 2) label += ", " + shown[first + 1].second;
    if (last - first > 2) label += " to " + shown[last - 1].second;
    if (label.size() > longest) label = label.substr(0, longest > 3 ? longest - 3 : 0) + "...";
    // The text reads upwards with its glyphs right of the first line: the
    // next label is at least a label's height further right.
    const double x = shown[first].first + 10.0;
    svg += text_at(x, f.top + 4, label, "end",
                   " transform=\"rotate(-90 " + px(x) + " " + px(f.top + 4) + ")\"");
    first = last;
  }
  return svg + "</g>";
}

bool has_values(const ChartSeries& series) {
  return std::any_of(series.y.begin(), series.y.end(), [](double v) { return std::isfinite(v); });
}

/// Where each named series' entry of the legend goes: in rows above the
/// plot, left to right, so that it covers neither the data nor a mark.
struct LegendEntry {
  std::size_t series;
  double x;
  double y;
};

std::vector<LegendEntry> legend_layout(const Chart& chart, double left, double right, double top) {
  std::vector<LegendEntry> entries;
  if (chart.series.size() < 2) return entries;
  double x = left;
  double y = top;
  for (std::size_t s = 0; s < chart.series.size(); ++s) {
    if (chart.series[s].name.empty() || !has_values(chart.series[s])) continue;
    const double width = 14.0 + character_width(11.0) * static_cast<double>(chart.series[s].name.size());
    if (x > left && x + width > right) {
      x = left;
      y += 15.0;
    }
    entries.push_back({s, x, y});
    x += width + 14.0;
  }
  return entries;
}

std::string legend(const std::vector<LegendEntry>& entries, const Chart& chart) {
  std::string svg = "<g font-size=\"11\" fill=\"#333\">";
  for (const LegendEntry& e : entries) {
    svg += "<rect x=\"" + px(e.x) + "\" y=\"" + px(e.y - 9) + "\" width=\"10\" height=\"10\" fill=\"" +
           PALETTE[e.series % PALETTE.size()] + "\"/>";
    svg += text_at(e.x + 14, e.y, chart.series[e.series].name, "start");
  }
  return svg + "</g>";
}

/// Widens the longitude or the latitude range of a map so that a kilometre
/// east is as long as a kilometre north at the middle latitude.
void keep_ground_proportions(Frame& f) {
  const double middle = (f.y.low + f.y.high) / 2.0;
  const double shrink = std::max(std::cos(middle * std::acos(-1.0) / 180.0), 0.05);
  const double x_per_pixel = (f.x.high - f.x.low) * shrink / f.width;
  const double y_per_pixel = (f.y.high - f.y.low) / f.height;
  if (x_per_pixel > y_per_pixel) {
    const double half = x_per_pixel * f.height / 2.0;
    f.y = {middle - half, middle + half};
  } else {
    const double centre = (f.x.low + f.x.high) / 2.0;
    const double half = y_per_pixel * f.width / shrink / 2.0;
    f.x = {centre - half, centre + half};
  }
}

/// Counts of each series' values in bins shared by all, as bars.
std::string histogram(Frame& f, Chart& chart) {
  Range values;
  std::size_t largest = 0;
  for (const ChartSeries& s : chart.series) {
    for (const double v : s.y) values.take(v);
    largest = std::max(largest, s.y.size());
  }
  f.x = values.widened();
  const auto bins = static_cast<std::size_t>(
      std::clamp(std::ceil(std::sqrt(static_cast<double>(largest))), 5.0, 40.0));
  const double width = (f.x.high - f.x.low) / static_cast<double>(bins);
  std::vector<std::vector<std::size_t>> counts;
  std::size_t most = 1;
  for (const ChartSeries& s : chart.series) {
    std::vector<std::size_t> count(bins, 0);
    for (const double v : s.y) {
      if (!std::isfinite(v)) continue;
      const auto bin = std::min(bins - 1, static_cast<std::size_t>((v - f.x.low) / width));
      most = std::max(most, ++count[bin]);
    }
    counts.push_back(count);
  }
  f.y = {0.0, static_cast<double>(most) * 1.08};
  std::string svg;
  for (std::size_t s = 0; s < counts.size(); ++s) {
    for (std::size_t b = 0; b < bins; ++b) {
      if (counts[s][b] == 0) continue;
      const double low = f.x.low + width * static_cast<double>(b);
      const double top = f.px_y(static_cast<double>(counts[s][b]));
      svg += "<rect fill-opacity=\"0.65\" fill=\"" + std::string(PALETTE[s % PALETTE.size()]) +
             "\" x=\"" + px(f.px_x(low)) + "\" y=\"" + px(top) + "\" width=\"" +
             px(f.px_x(low + width) - f.px_x(low)) + "\" height=\"" + px(f.top + f.height - top) +
             "\"/>";
    }
  }
  return svg;
}

/// One horizontal bar per category, from zero to its value.
std::string bars(Frame& f, const Chart& chart) {
  const std::vector<double> none;
  const std::vector<double>& values = chart.series.empty() ? none : chart.series.front().y;
  const std::size_t n = std::min(values.size(), chart.categories.size());
  Range range;
  range.take(0.0);
  for (std::size_t i = 0; i < n; ++i) range.take(values[i]);
  f.x = range.widened();
  const double row = f.height / static_cast<double>(std::max<std::size_t>(n, 1));
  std::string svg = "<g font-size=\"11\" fill=\"#333\">";
  for (std::size_t i = 0; i < n; ++i) {
    const double y = f.top + row * static_cast<double>(i);
    svg += text_at(f.left - 5, y + row / 2 + 4, chart.categories[i], "end");
    if (!std::isfinite(values[i])) continue;
    const double from = f.px_x(std::min(0.0, values[i]));
    const double to = f.px_x(std::max(0.0, values[i]));
    svg += std::string("<rect fill=\"") + (values[i] < 0 ? PALETTE[1] : PALETTE[0]) + "\" x=\"" +
           px(from) + "\" y=\"" + px(y + row * 0.15) + "\" width=\"" + px(std::max(to - from, 0.5)) +
           "\" height=\"" + px(row * 0.7) + "\"/>";
  }
  return svg + "</g>";
}

}  // namespace

std::string xml_escaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string svg_chart(const Chart& chart, int width, int height) {
  Chart drawn = chart;
  double left = 72;
  if (drawn.kind == ChartKind::bars) {
    std::size_t longest = 0;
    for (const std::string& c : drawn.categories) longest = std::max(longest, c.size());
    left = std::clamp(12.0 + 6.2 * static_cast<double>(longest), 72.0, width * 0.45);
  }
  // The legend's rows go between the title and the plot.
  const std::vector<LegendEntry> entries = legend_layout(drawn, left, width - 24.0, 40.0);
  const double top = entries.empty() ? 34.0 : entries.back().y + 10.0;
  Frame f{left, top, width - left - 24, height - top - 50, {}, {}};
  std::string body;
  if (drawn.kind == ChartKind::histogram) {
    if (drawn.y_label.empty()) drawn.y_label = "count";
    body = histogram(f, drawn);
  } else if (drawn.kind == ChartKind::bars) {
    body = bars(f, drawn);
    f.y = {0.0, 1.0};
  } else {
    for (const ChartSeries& s : drawn.series) {
      for (const double v : s.x) f.x.take(v);
      for (const double v : s.y) f.y.take(v);
    }
    f.x = drawn.kind == ChartKind::lines ? f.x.widened() : f.x.padded(0.04);
    f.y = f.y.padded(0.04);
    if (drawn.kind == ChartKind::map) keep_ground_proportions(f);
    body = curves(f, drawn);
  }
  const std::string size = "width=\"" + std::to_string(width) + "\" height=\"" +
                           std::to_string(height) + "\" viewBox=\"0 0 " + std::to_string(width) +
                           " " + std::to_string(height) + "\"";
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"chart\" " + size +
         " font-family=\"sans-serif\" role=\"img\" aria-label=\"" + xml_escaped(drawn.title) +
         "\"><rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>" +
         text_at(width / 2.0, 20, drawn.title, "middle", " font-size=\"14\" font-weight=\"bold\"") +
         axes(f, drawn, true, drawn.kind != ChartKind::bars) + body + marks(f, drawn) +
         legend(entries, drawn) + "</svg>";
}

}  // namespace ascent
