#include "base/linear_table.hpp"

#include <algorithm>

namespace ascent {

double LinearTable::integral(double from, double to) const {
  if (points_.empty() || !(to > from)) return 0.0;
  const std::vector<TablePoint>& p = points_;
  double total = 0.0;
  // Before the first point the value is held: a rectangle.
  if (from < p.front().x) {
    const double end = std::min(to, p.front().x);
    total += p.front().y * (end - from);
    from = end;
  }
  // Each segment inside [from, to] is a straight line: a trapezoid.
  for (std::size_t i = 1; i < p.size() && from < to; ++i) {
    const TablePoint& a = p[i - 1];
    const TablePoint& b = p[i];
    if (b.x <= from || b.x == a.x) continue;
    const double end = std::min(to, b.x);
    const auto y = [&](double x) { return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x); };
    total += 0.5 * (y(from) + y(end)) * (end - from);
    from = end;
  }
  // After the last point the value is held again.
  if (from < to) total += p.back().y * (to - from);
  return total;
}

}  // namespace ascent
