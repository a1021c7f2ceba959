#include "mission/load_limits.hpp"

#include <algorithm>
#include <array>
#include <cstddef>

namespace ascent {

namespace {

/// Where each kind of load keeps its maximum, its time and its limit.
struct LoadMembers {
  double LoadMaxima::*maximum;
  double LoadMaxima::*time;
  double LoadLimits::*limit;
};

/// In the order of LoadKind.
constexpr std::array<LoadMembers, 3> MEMBERS{{
    {&LoadMaxima::dynamic_pressure, &LoadMaxima::dynamic_pressure_time,
     &LoadLimits::max_dynamic_pressure},
    {&LoadMaxima::q_alpha, &LoadMaxima::q_alpha_time, &LoadLimits::max_q_alpha},
    {&LoadMaxima::acceleration, &LoadMaxima::acceleration_time,
     &LoadLimits::max_axial_acceleration},
}};

constexpr std::array KINDS{LoadKind::dynamic_pressure, LoadKind::q_alpha,
                           LoadKind::axial_acceleration};

const LoadMembers& members(LoadKind kind) { return MEMBERS.at(static_cast<std::size_t>(kind)); }

}  // namespace

double load_maximum(const LoadMaxima& loads, LoadKind kind) { return loads.*members(kind).maximum; }

double load_maximum_time(const LoadMaxima& loads, LoadKind kind) {
  return loads.*members(kind).time;
}

double load_limit(const LoadLimits& limits, LoadKind kind) { return limits.*members(kind).limit; }

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
  for (const LoadMembers& m : MEMBERS) {
    const double y = b.*m.limit;
    double& x = both.*m.limit;
    if (y > 0.0) x = x > 0.0 ? std::min(x, y) : y;
  }
  return both;
}

}  // namespace ascent
