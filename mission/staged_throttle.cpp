#include "mission/staged_throttle.hpp"

#include <algorithm>
#include <limits>

namespace ascent {

double ThrottleLaw::command(double t) const {
  double c = 1.0;
  for (const TablePoint& p : settings) {
    if (p.x > t) break;
    c = p.y;
  }
  return c;
}

double ThrottleLaw::next_setting(double t) const {
  for (const TablePoint& p : settings) {
    if (p.x > t) return p.x;
  }
  return std::numeric_limits<double>::infinity();
}

double engine_throttle(double command, double min_throttle, double max_throttle) {
  return std::clamp(command, min_throttle, max_throttle);
}

}  // namespace ascent
