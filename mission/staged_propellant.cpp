#include "mission/staged_propellant.hpp"

#include <algorithm>
#include <cmath>

namespace ascent {

double propellant_burned(const Element& e, double burning) {
  if (!(burning > 0.0) || !e.propulsive()) return 0.0;
  const double impulse =
      e.thrust_table.empty() ? e.thrust * burning : e.thrust_table.integral(0.0, burning);
  return impulse / e.exhaust_velocity;
}

namespace {

/// [s] into a segment of thrust y0 at its start, rising at `slope` [N/s],
/// until it has given `impulse` [N s]: y0 t + slope t^2 / 2 = impulse, in the
/// form that loses no digits whatever the sign of the slope.
double time_for_impulse(double y0, double slope, double impulse) {
  return 2.0 * impulse / (y0 + std::sqrt(y0 * y0 + 2.0 * slope * impulse));
}

}  // namespace

std::optional<double> burn_duration(const Element& e) { return burn_duration(e, 0.0, e.propellant); }

std::optional<double> burn_duration(const Element& e, double from, double propellant) {
  if (!e.propulsive()) return std::nullopt;
  double impulse = std::max(propellant, 0.0) * e.exhaust_velocity;  // [N s] left to give
  if (!(impulse > 0.0)) return 0.0;
  if (e.thrust_table.empty()) {
    if (!(e.thrust > 0.0)) return std::nullopt;
    return impulse / e.thrust;
  }
  const std::vector<TablePoint>& p = e.thrust_table.points();
  double t = std::max(from, 0.0);
  // The first value is held from ignition to the first point.
  if (p.front().x > t) {
    const double held = p.front().y * (p.front().x - t);
    if (held >= impulse) return impulse / p.front().y;
    impulse -= held;
    t = p.front().x;
  }
  for (std::size_t i = 1; i < p.size(); ++i) {
    const TablePoint& a = p[i - 1];
    const TablePoint& b = p[i];
    if (b.x <= t || b.x == a.x) continue;
    const double slope = (b.y - a.y) / (b.x - a.x);
    const double y0 = a.y + slope * (t - a.x);
    const double segment = 0.5 * (y0 + b.y) * (b.x - t);
    if (segment >= impulse) return t - from + time_for_impulse(y0, slope, impulse);
    impulse -= segment;
    t = b.x;
  }
  // Past the last node the thrust holds its last value; a table that ends
  // at no thrust has burnt out there, whatever is left.
  const double tail = p.back().y;
  if (!(tail > 0.0)) return t - from;
  return t - from + impulse / tail;
}

}  // namespace ascent
