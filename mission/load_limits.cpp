#include "mission/load_limits.hpp"

#include <algorithm>
#include <array>

namespace ascent {

namespace {
constexpr std::array KINDS{LoadKind::dynamic_pressure, LoadKind::q_alpha,
                           LoadKind::axial_acceleration};

double& limit_of(LoadLimits& limits, LoadKind kind) {
  switch (kind) {
    case LoadKind::dynamic_pressure:
      return limits.max_dynamic_pressure;
    case LoadKind::q_alpha:
      return limits.max_q_alpha;
    case LoadKind::axial_acceleration:
      break;
  }
  return limits.max_axial_acceleration;
}
}  // namespace

double load_maximum(const LoadMaxima& loads, LoadKind kind) {
  switch (kind) {
    case LoadKind::dynamic_pressure:
      return loads.dynamic_pressure;
    case LoadKind::q_alpha:
      return loads.q_alpha;
    case LoadKind::axial_acceleration:
      break;
  }
  return loads.acceleration;
}

double load_maximum_time(const LoadMaxima& loads, LoadKind kind) {
  switch (kind) {
    case LoadKind::dynamic_pressure:
      return loads.dynamic_pressure_time;
    case LoadKind::q_alpha:
      return loads.q_alpha_time;
    case LoadKind::axial_acceleration:
      break;
  }
  return loads.acceleration_time;
}

double load_limit(const LoadLimits& limits, LoadKind kind) {
  LoadLimits copy = limits;
  return limit_of(copy, kind);
}

std::optional<LoadBreach> load_breach(const LoadMaxima& loads, const LoadLimits& limits) {
  std::optional<LoadBreach> worst;
  for (const LoadKind kind : KINDS) {
    const double limit = load_limit(limits, kind);
    const double maximum = load_maximum(loads, kind);
    if (limit <= 0.0 || !(maximum > limit)) continue;
    if (!worst || maximum / limit > worst->maximum / worst->limit) {
      worst = LoadBreach{kind, maximum, limit, load_maximum_time(loads, kind)};
    }
  }
  return worst;
}

LoadLimits stricter(const LoadLimits& a, const LoadLimits& b) {
  LoadLimits both = a;
  for (const LoadKind kind : KINDS) {
    double& x = limit_of(both, kind);
    const double y = load_limit(b, kind);
    if (y > 0.0) x = x > 0.0 ? std::min(x, y) : y;
  }
  return both;
}

}  // namespace ascent
