#include "mission/ballistic_fall.hpp"

#include <algorithm>
#include <cmath>

#include "dynamics/orbital_elements.hpp"

namespace ascent {

namespace {

/// [s] the longest step: out of the air a ballistic arc's RK4 error grows as
/// (n dt)^4 r, a few centimetres over a fall at n = 1.2e-3 rad/s.
constexpr double LONGEST_STEP = 10.0;
/// [1] a step lasts at most this share of the time the drag would take to
/// stop the element (RK4 stays stable on drag below 1.39 of it).
constexpr double DRAG_TIME_SHARE = 0.1;
/// [m] below ATMOSPHERE_TOP a step falls at most this far, so that a step
/// from the void does not plunge into dense air.
constexpr double FALL_PER_STEP = 2000.0;
constexpr double ATMOSPHERE_TOP = 120.0e3;  ///< [m]
constexpr double SHORTEST_STEP = 1.0e-3;    ///< [s]
/// [s] an element still aloft after this (a decaying orbit) is taken as in orbit.
constexpr double LONGEST_FALL = 6.0 * 3600.0;
/// [m] the last step ends this close to the surface.
constexpr double SURFACE_TOLERANCE = 1.0e-3;
constexpr int LONGEST_SEARCH = 60;  ///< trials of the last step's length

struct Fall {
  const FallingElement& element;
  const FallWorld& world;

  [[nodiscard]] PointMassState rates(const PointMassState& state) const {
    return point_mass_rates(state, world.earth, world.air, ThrustSetting{}, element.drag);
  }
  [[nodiscard]] PointMassState step(const PointMassState& state, double t, double dt) const {
    return rk4_step(state, t, dt, [this](double, const PointMassState& s) { return rates(s); });
  }
  [[nodiscard]] double altitude(const PointMassState& state, double t) const {
    return world.ground.geodetic(state.position, t).altitude;
  }

  /// [s] the step from `state`: short where the drag is strong or the air near.
  [[nodiscard]] double step_size(const PointMassState& state) const {
    const Airflow flow = airflow(world.earth, world.air, state.position, state.velocity);
    double dt = LONGEST_STEP;
    const double drag = flow.dynamic_pressure * element.drag.reference_area *
                        element.drag.coefficient(flow.mach) / state.mass;  // [m/s^2]
    if (drag > 0.0) dt = std::min(dt, DRAG_TIME_SHARE * flow.air_speed / drag);
    if (flow.altitude < ATMOSPHERE_TOP) {
      const double sink = std::abs(state.velocity.dot(state.position.normalized()));
      dt = std::min(dt, FALL_PER_STEP / std::max(sink, 1.0));
    }
    return std::max(dt, SHORTEST_STEP);
  }

  /// The step from `state` at `t` (altitude `above` > 0) that ends on the
  /// surface, found within a step of length `dt` that ends `below` it:
  /// regula falsi on the step's length, Illinois-modified.
  [[nodiscard]] std::pair<PointMassState, double> last_step(const PointMassState& state, double t,
                                                            double above, double dt,
                                                            double below) const {
    double short_dt = 0.0;
    double long_dt = dt;
    PointMassState end = state;
    double end_dt = 0.0;
    int kept_side = 0;
    for (int trial = 0; trial < LONGEST_SEARCH; ++trial) {
      end_dt = short_dt + (long_dt - short_dt) * above / (above - below);
      end = step(state, t, end_dt);
      const double h = altitude(end, t + end_dt);
      if (std::abs(h) < SURFACE_TOLERANCE || long_dt - short_dt < 1e-12) break;
      if (h > 0.0) {
        short_dt = end_dt;
        above = h;
        if (kept_side == 1) below /= 2.0;
        kept_side = 1;
      } else {
        long_dt = end_dt;
        below = h;
        if (kept_side == -1) above /= 2.0;
        kept_side = -1;
      }
    }
    return {end, end_dt};
  }
};

}  // namespace

ImpactPoint ballistic_fall(const FallingElement& element, double time,
                           const PointMassState& state, const FallWorld& world) {
  ImpactPoint impact;
  const OrbitalElements orbit =
      orbital_elements(world.earth.gravitational_parameter, state.position, state.velocity);
  impact.perigee_altitude = orbit.perigee_radius() - world.earth.equatorial_radius;
  impact.time = time;
  impact.where = world.ground.geodetic(state.position, time);
  if (impact.perigee_altitude > ORBIT_PERIGEE_ALTITUDE) {
    impact.reaches_orbit = true;
    return impact;
  }

  const Fall fall{element, world};
  PointMassState s{state.position, state.velocity, element.mass};
  double t = time;
  double h = fall.altitude(s, t);
  while (h > 0.0) {
    if (t - time > LONGEST_FALL) {
      impact.reaches_orbit = true;  // a decaying orbit, not a fall
      return impact;
    }
    const double dt = fall.step_size(s);
    const PointMassState next = fall.step(s, t, dt);
    const double next_h = fall.altitude(next, t + dt);
    ++impact.steps;
    if (next_h <= 0.0) {
      const auto [end, end_dt] = fall.last_step(s, t, h, dt, next_h);
      s = end;
      t += end_dt;
      break;
    }
    s = next;
    t += dt;
    h = next_h;
  }
  impact.time = t;
  impact.flight_time = t - time;
  impact.where = world.ground.geodetic(s.position, t);
  impact.speed = (s.velocity - world.earth.rotation().cross(s.position)).norm();
  impact.downrange = world.ground.surface_distance(world.pad, impact.where);
  return impact;
}

}  // namespace ascent
