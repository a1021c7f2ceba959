// A table of y against x, read by linear interpolation between its points and
// held at its end values outside them: a thrust curve against time since
// ignition, a drag coefficient against Mach number, a pitch programme. Two
// points may share an x: the table jumps there, taking the first value at x.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace ascent {

struct TablePoint {
  double x;
  double y;
  bool operator==(const TablePoint&) const = default;
};

class LinearTable {
 public:
  LinearTable() = default;
  /// Points in increasing x, no three alike (the deck reader checks that).
  explicit LinearTable(std::vector<TablePoint> points) : points_(std::move(points)) {}

  [[nodiscard]] bool empty() const { return points_.empty(); }
  [[nodiscard]] const std::vector<TablePoint>& points() const { return points_; }

  /// y at `x`: linear between neighbouring points, the end value beyond them.
  [[nodiscard]] double at(double x) const {
    if (points_.empty()) return 0.0;
    if (!(x > points_.front().x)) return points_.front().y;
    if (!(x < points_.back().x)) return points_.back().y;
    std::size_t hi = 1;
    while (points_[hi].x < x) ++hi;
    const TablePoint& a = points_[hi - 1];
    const TablePoint& b = points_[hi];
    return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
  }

  /// The integral of y from `from` to `to` (from <= to), exact for the
  /// straight segments and the held end values.
  [[nodiscard]] double integral(double from, double to) const;

  bool operator==(const LinearTable&) const = default;

 private:
  std::vector<TablePoint> points_;
};

}  // namespace ascent
