#include "base/linear_table.hpp"

#include <algorithm>

namespace ascent {

double LinearTable::integral(double from, double to) const {
  if (points_.empty() || !(to > from)) return 0.0;
  // Pieces between the breakpoints inside [from, to]; each is a straight
  // line, integrated exactly by its mid-point value.
  double total = 0.0;
  double x = from;
  for (const TablePoint& p : points_) {
    if (p.x <= x) continue;
    const double end = std::min(p.x, to);
    total += at(0.5 * (x + end)) * (end - x);
    x = end;
    if (x >= to) return total;
  }
  return total + at(0.5 * (x + to)) * (to - x);
}

}  // namespace ascent
