#include "mission/staged_propellant.hpp"

namespace ascent {

namespace {
/// Bisection of a burn time within a table segment: to the last bit of a double.
constexpr int BISECTIONS = 200;
}  // namespace

double propellant_burned(const Element& e, double burning) {
  if (!(burning > 0.0) || !e.propulsive()) return 0.0;
  const double impulse =
      e.thrust_table.empty() ? e.thrust * burning : e.thrust_table.integral(0.0, burning);
  return impulse / e.exhaust_velocity;
}

std::optional<double> burn_duration(const Element& e) {
  if (!e.propulsive()) return std::nullopt;
  if (e.thrust_table.empty()) {
    if (!(e.thrust > 0.0)) return std::nullopt;
    return e.propellant * e.exhaust_velocity / e.thrust;
  }
  // Past the last node the thrust holds its last value.
  const std::vector<TablePoint>& points = e.thrust_table.points();
  double hi = points.back().x;
  if (propellant_burned(e, hi) < e.propellant) {
    const double tail = points.back().y;
    if (!(tail > 0.0)) return std::nullopt;
    hi += (e.propellant - propellant_burned(e, hi)) * e.exhaust_velocity / tail;
    return hi;
  }
  double lo = 0.0;
  for (int i = 0; i < BISECTIONS && hi - lo > 0.0; ++i) {
    const double mid = 0.5 * (lo + hi);
    if (mid <= lo || mid >= hi) break;
    (propellant_burned(e, mid) < e.propellant ? lo : hi) = mid;
  }
  return hi;
}

}  // namespace ascent
