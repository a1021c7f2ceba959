#include "studies/staged_ascent_problem.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <stdexcept>

#include "mission/staged_propellant.hpp"

namespace ascent::studies {
namespace {

constexpr double NEVER = std::numeric_limits<double>::infinity();

// [s] moments this close are one (a sum of delays may round).
constexpr double SAME_MOMENT = 1e-9;

/// The mission times of one element's moments; NEVER when it does not happen.
struct Moments {
  std::optional<double> ignition, burnout, jettison;
  bool to_cutoff = false;  ///< burns to the end of the flight, which the optimiser chooses
};

[[noreturn]] void refuse(const std::string& what) { throw std::invalid_argument("optimal ascent: " + what); }

class Timeline {
 public:
  explicit Timeline(const StagedVehicle& v) : v_(v), moments_(v.elements.size()) {
    // Each pass settles every moment whose trigger's moment is settled; the
    // deck's checks refuse cycles, so n passes settle all that can be.
    for (std::size_t pass = 0; pass <= 3 * moments_.size(); ++pass)
      for (std::size_t i = 0; i < moments_.size(); ++i) settle(i);
    for (std::size_t i = 0; i < moments_.size(); ++i) {
      const Moments& m = moments_[i];
      if (!m.ignition || !m.burnout || !m.jettison)
        refuse("element \"" + v.elements[i].name + "\" has a moment not at a known time");
    }
  }

  [[nodiscard]] const Moments& operator[](std::size_t i) const { return moments_[i]; }

  /// [s] the time of a trigger of the flight's moments, none when unknown yet.
  [[nodiscard]] std::optional<double> time_of(const Trigger& t, const std::string& what) const {
    switch (t.kind) {
      case Trigger::Kind::never:
        return NEVER;
      case Trigger::Kind::liftoff:
        return 0.0;
      case Trigger::Kind::time:
        return t.value;
      case Trigger::Kind::after: {
        const Moments& m = moments_[t.element];
        const std::optional<double> at = t.moment == ElementMoment::ignition  ? m.ignition
                                         : t.moment == ElementMoment::burnout ? m.burnout
                                                                              : m.jettison;
        if (!at) return std::nullopt;
        return *at + t.delay;
      }
      default:
        refuse(what + " waits for a condition of the flight, not a known time");
    }
  }

 private:
  void settle(std::size_t i) {
    const Element& e = v_.elements[i];
    Moments& m = moments_[i];
    if (!e.propulsive()) {
      m.ignition = m.burnout = NEVER;
    } else {
      if (!e.thrust_table.empty()) refuse("element \"" + e.name + "\" has a thrust table; constant thrust only");
      if (!e.relights.empty()) refuse("element \"" + e.name + "\" is lit more than once; one burn only");
      if (e.max_throttle != 1.0) refuse("element \"" + e.name + "\" runs below full thrust; full thrust only");
      if (!m.ignition) m.ignition = time_of(e.ignition, e.name + "'s ignition");
      if (m.ignition && !m.burnout) m.burnout = burnout(e, *m.ignition, m.to_cutoff);
    }
    if (!m.jettison) {
      m.jettison = e.jettison.kind == Trigger::Kind::own_burnout ? m.burnout
                                                                   : time_of(e.jettison, e.name + "'s jettison");
      // A unit dropped while it burns stops burning.
      if (m.jettison && m.burnout && *m.jettison < *m.burnout) m.burnout = m.jettison;
    }
  }

  [[nodiscard]] std::optional<double> burnout(const Element& e, double ignition, bool& to_cutoff) const {
    if (ignition == NEVER) return NEVER;
    const double depletion = ignition + burn_duration(e).value_or(NEVER);
    if (e.shutdown.kind == Trigger::Kind::depletion) return depletion;
    if (e.shutdown.kind == Trigger::Kind::cutoff) {
      to_cutoff = true;
      return depletion;  // the latest the optimiser may end the burn
    }
    const std::optional<double> at = time_of(e.shutdown, e.name + "'s shutdown");
    if (!at) return std::nullopt;
    return std::min(*at, depletion);
  }

  const StagedVehicle& v_;
  std::vector<Moments> moments_;
};

bool same(double a, double b) { return std::abs(a - b) <= SAME_MOMENT; }

/// [kg] what the units of element `i` weigh when they drop: dry and unburned.
double dropped_mass(const Element& e, const Moments& m) {
  const double burned = m.ignition && *m.ignition < NEVER ? propellant_burned(e, *m.burnout - *m.ignition) : 0.0;
  return e.count * (e.dry_mass + e.propellant - burned);
}

TargetConditions target_of(const StagedVehicle& v) {
  const StagedTarget& t = v.target;
  TargetConditions target;
  const double r_p = v.earth.equatorial_radius + t.perigee_altitude;
  const double r_a = v.earth.equatorial_radius + t.apogee_altitude;
  // An eccentricity of 0 is no smooth condition (and the perigee no angle):
  // a circular orbit is its radius, no radial velocity and its speed.
  if (r_a == r_p) {
    target.circular_radius = r_p;
  } else {
    target.semi_major_axis = 0.5 * (r_p + r_a);
    target.eccentricity = (r_a - r_p) / (r_a + r_p);
    target.argument_of_perigee = t.argument_of_perigee;
  }
  target.inclination = t.inclination;
  target.ascending_node = t.ascending_node;
  return target;
}

PathLimits limits_of(const LoadLimits& l) {
  // The deck's 0 is no limit; its q alpha is in Pa*deg.
  const auto given = [](double value) { return value > 0.0 ? std::optional<double>(value) : std::nullopt; };
  PathLimits limits;
  limits.dynamic_pressure = given(l.max_dynamic_pressure);
  if (const auto q_alpha = given(l.max_q_alpha)) limits.q_alpha = *q_alpha * std::numbers::pi / 180.0;
  limits.axial_acceleration = given(l.max_axial_acceleration);
  return limits;
}

std::string burning_names(const StagedVehicle& v, const std::vector<std::size_t>& burning) {
  std::string names;
  for (const std::size_t i : burning) {
    if (!names.empty()) names += " + ";
    const Element& e = v.elements[i];
    names += (e.count > 1 ? std::to_string(e.count) + " " : "") + e.name;
  }
  return names;
}

std::string seconds(double t) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", t);
  return text;
}

}  // namespace

AscentProblem ascent_problem(const StagedVehicle& v, const AscentMesh& mesh) {
  if (!(mesh.segment_length > 0.0) || mesh.min_segments < 1) refuse("the mesh needs segments");
  for (const ascent::Phase& p : v.phases) {
    if (!p.throttle.settings.empty() || p.throttle.dynamic_pressure_limit > 0.0) {
      refuse("phase \"" + p.name + "\" throttles the engines; full thrust only");
    }
  }
  const Timeline timeline(v);
  std::vector<double> aero_from;
  for (std::size_t c = 0; c < v.aerodynamics.size(); ++c)
    aero_from.push_back(*timeline.time_of(v.aerodynamics[c].from, "aerodynamics " + std::to_string(c + 1)));

  // The flight ends at the latest burnout; the optimiser may end it sooner.
  double end = 0.0;
  for (std::size_t i = 0; i < v.elements.size(); ++i)
    if (*timeline[i].burnout < NEVER) end = std::max(end, *timeline[i].burnout);
  if (!(end > 0.0)) refuse("no element burns");

  std::vector<double> moments{0.0, end};
  for (std::size_t i = 0; i < v.elements.size(); ++i)
    for (const double t : {*timeline[i].ignition, *timeline[i].burnout, *timeline[i].jettison})
      if (t > 0.0 && t < end) moments.push_back(t);
  for (const double t : aero_from)
    if (t > 0.0 && t < end) moments.push_back(t);
  std::sort(moments.begin(), moments.end());
  moments.erase(std::unique(moments.begin(), moments.end(), same), moments.end());

  AscentProblem problem;
  problem.earth = v.earth;
  problem.air = v.air;
  problem.latitude = v.site.latitude;
  problem.longitude = v.site.longitude;
  problem.altitude = v.site.altitude;
  problem.azimuth = v.launch_azimuth();
  problem.liftoff_mass = v.liftoff_mass();
  problem.target = target_of(v);
  problem.limits = limits_of(v.limits);
  for (std::size_t k = 0; k + 1 < moments.size(); ++k) {
    const double start = moments[k];
    BurnPhase phase;
    std::vector<std::size_t> burning;
    for (std::size_t i = 0; i < v.elements.size(); ++i) {
      const Element& e = v.elements[i];
      const Moments& m = timeline[i];
      if (same(*m.jettison, start)) {
        // Dropped on the pad: it never flies.
        if (k == 0) problem.liftoff_mass -= dropped_mass(e, m);
        else phase.dropped_mass += dropped_mass(e, m);
      }
      if (*m.ignition <= start + SAME_MOMENT && *m.burnout > start + SAME_MOMENT) {
        burning.push_back(i);
        phase.vacuum_thrust += e.count * e.thrust;
        phase.mass_flow += e.count * e.thrust / e.exhaust_velocity;
        phase.exit_area += e.count * e.exit_area;
      }
    }
    if (burning.empty())
      refuse("no element burns from " + seconds(start) + " to " + seconds(moments[k + 1]) +
             "; the optimiser flies burn phases only");
    phase.name = burning_names(v, burning);
    phase.duration = moments[k + 1] - start;
    for (std::size_t c = 0; c < aero_from.size(); ++c)
      if (aero_from[c] <= start + SAME_MOMENT) phase.drag = v.aerodynamics[c].drag;
    phase.segments = std::max(mesh.min_segments, static_cast<int>(std::lround(phase.duration / mesh.segment_length)));
    problem.phases.push_back(std::move(phase));
  }
  return problem;
}

}  // namespace ascent::studies
