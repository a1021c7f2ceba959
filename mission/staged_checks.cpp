#include "mission/staged_checks.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <set>
#include <vector>

#include "mission/staged_propellant.hpp"

namespace ascent {

namespace {

constexpr double DEG = std::numbers::pi / 180.0;
/// [s] a jettison this much before an ignition is one before it, not a rounding.
constexpr double TIME_SLACK = 1e-9;
constexpr int MAX_COUNT = 1000;
/// [s] a guidance cycle shorter re-solves more often than any step needs; longer leaves a
/// low-thrust stage unsteered for too much of its burn.
constexpr double MIN_GUIDANCE_CYCLE = 0.1;
constexpr double MAX_GUIDANCE_CYCLE = 60.0;
/// [s] of time to go: a longer hold steers the burn's end open loop.
constexpr double MAX_GUIDANCE_HOLD = 120.0;

using Fault = std::optional<StagedFault>;

bool finite_at_least(double x, double low) { return std::isfinite(x) && x >= low; }

Fault check_table(const LinearTable& table, const std::string& field, bool x_from_zero) {
  const std::vector<TablePoint>& p = table.points();
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (!std::isfinite(p[i].x) || !std::isfinite(p[i].y)) {
      return StagedFault{field, "every entry of the table must be a finite number"};
    }
    if (x_from_zero && p[i].x < 0.0) return StagedFault{field, "the table starts before 0"};
    if (i > 0 && p[i].x < p[i - 1].x) {
      return StagedFault{field, "the table's first column must not decrease"};
    }
    if (i > 1 && p[i].x == p[i - 2].x) {
      return StagedFault{field, "at most two rows of the table may share a first value"};
    }
  }
  return std::nullopt;
}

Fault check_trigger(const StagedVehicle& v, const Trigger& t, const std::string& field,
                    bool of_phase, bool of_shutdown, bool of_jettison) {
  using K = Trigger::Kind;
  if (t.kind == K::after && t.element >= v.elements.size()) {
    return StagedFault{field, "names no element of the vehicle"};
  }
  if (t.kind == K::after && t.moment != ElementMoment::jettison &&
      t.burn >= v.elements[t.element].burns()) {
    return StagedFault{field, "names a burn the element does not have"};
  }
  if (!finite_at_least(t.delay, 0.0)) return StagedFault{field, "the delay must be 0 s or more"};
  const bool value_needed = t.kind == K::time || t.kind == K::elapsed || t.kind == K::altitude ||
                            t.kind == K::heat_flux_below || t.kind == K::speed ||
                            t.kind == K::apogee_altitude;
  if (value_needed && !finite_at_least(t.value, 0.0)) {
    return StagedFault{field, "the value must be a finite number, 0 or more"};
  }
  if ((t.kind == K::depletion || t.kind == K::cutoff) && !of_shutdown) {
    return StagedFault{field, "only a shutdown waits for depletion or the cutoff"};
  }
  if (t.kind == K::own_burnout && !of_jettison) {
    return StagedFault{field, "only a jettison waits for the element's own burnout"};
  }
  if (t.kind == K::elapsed && !of_phase) return StagedFault{field, "only a phase lasts for a time"};
  if (of_phase && (t.kind == K::never || t.kind == K::liftoff)) {
    return StagedFault{field, "a phase must end at an event that comes after it starts"};
  }
  return std::nullopt;
}

Fault check_element(const StagedVehicle& v, const Element& e) {
  if (e.name.empty()) return StagedFault{"element", "every element needs a name"};
  if (!(e.count >= 1 && e.count <= MAX_COUNT)) {
    return StagedFault{element_field(e, "count"), "the count must be 1 to 1000"};
  }
  if (!finite_at_least(e.dry_mass, 0.0)) {
    return StagedFault{element_field(e, "dry_mass"), "the mass must be a finite number, 0 kg or more"};
  }
  if (!finite_at_least(e.propellant, 0.0)) {
    return StagedFault{element_field(e, "propellant"),
                       "the propellant must be a finite number, 0 kg or more"};
  }
  if (!finite_at_least(e.exhaust_velocity, 0.0)) {
    return StagedFault{element_field(e, "exhaust_velocity"), "must be a finite speed above 0 m/s"};
  }
  if (!finite_at_least(e.thrust, 0.0)) {
    return StagedFault{element_field(e, "thrust"), "the thrust must be finite, 0 N or more"};
  }
  if (!finite_at_least(e.exit_area, 0.0)) {
    return StagedFault{element_field(e, "exit_area"), "the exit area must be finite, 0 m^2 or more"};
  }
  if (Fault f = check_table(e.thrust_table, element_field(e, "thrust_table"), true)) return f;
  for (const TablePoint& p : e.thrust_table.points()) {
    if (p.y < 0.0) return StagedFault{element_field(e, "thrust_table"), "a thrust is below 0 N"};
  }
  if (e.propulsive() && !(e.propellant > 0.0)) {
    return StagedFault{element_field(e, "propellant"), "an engine needs propellant above 0 kg"};
  }
  for (const auto& [throttle, key] : {std::pair{e.max_throttle, "max_throttle"},
                                     std::pair{e.min_throttle, "min_throttle"}}) {
    if (!(throttle >= 0.0 && throttle <= 1.0)) {
      return StagedFault{element_field(e, key), "a throttle is a fraction of the thrust, 0 to 1"};
    }
  }
  if (e.min_throttle > e.max_throttle) {
    return StagedFault{element_field(e, "max_throttle"), "the throttle's maximum lies below its minimum"};
  }
  if (!e.relights.empty() && !e.propulsive()) {
    return StagedFault{element_field(e, "relights"), "only an engine is lit again"};
  }
  for (std::size_t k = 0; k < e.burns(); ++k) {
    const std::string ignition = burn_field(e, k, "ignition");
    const std::string shutdown = burn_field(e, k, "shutdown");
    if (Fault f = check_trigger(v, e.ignition_of(k), ignition, false, false, false)) return f;
    if (Fault f = check_trigger(v, e.shutdown_of(k), shutdown, false, true, false)) return f;
    if (k + 1 < e.burns() && e.shutdown_of(k).kind == Trigger::Kind::cutoff) {
      return StagedFault{shutdown, "only the last burn burns to the cutoff"};
    }
  }
  if (Fault f = check_trigger(v, e.jettison, element_field(e, "jettison"), false, false, true)) return f;
  return std::nullopt;
}

Fault check_throttle_law(const Phase& p) {
  const ThrottleLaw& law = p.throttle;
  for (std::size_t i = 0; i < law.settings.size(); ++i) {
    const TablePoint& s = law.settings[i];
    if (!(std::isfinite(s.x) && s.y >= 0.0 && s.y <= 1.0)) {
      return StagedFault{phase_field(p, "throttle"), "every setting is a finite time and a throttle from 0 to 1"};
    }
    if (i > 0 && !(s.x > law.settings[i - 1].x)) {
      return StagedFault{phase_field(p, "throttle"), "the settings' times must increase"};
    }
  }
  if (!finite_at_least(law.dynamic_pressure_limit, 0.0)) {
    return StagedFault{phase_field(p, "dynamic_pressure_limit"), "must be finite, 0 Pa (none) or more"};
  }
  return std::nullopt;
}

/// The moments of every element as nodes: each burn's ignition and burnout,
/// then the jettison; each node waits for at most two others.
class MomentGraph {
 public:
  explicit MomentGraph(const StagedVehicle& v) {
    for (const Element& e : v.elements) {
      first_.push_back(size_);
      size_ += 2 * e.burns() + 1;
    }
    edges_.resize(size_);
    for (std::size_t i = 0; i < v.elements.size(); ++i) {
      const Element& e = v.elements[i];
      for (std::size_t k = 0; k < e.burns(); ++k) {
        const std::size_t ignition = first_[i] + 2 * k;
        edges_[ignition][0] = dependency(v, e.ignition_of(k), i);
        // A burn is lit again only after the one before has ended.
        if (k > 0) edges_[ignition][1] = ignition - 1;
        edges_[ignition + 1][0] = dependency(v, e.shutdown_of(k), i);
        edges_[ignition + 1][1] = ignition;
      }
      edges_[first_[i] + 2 * e.burns()][0] = dependency(v, e.jettison, i);
    }
  }

  [[nodiscard]] std::size_t size() const { return size_; }
  [[nodiscard]] const std::array<std::optional<std::size_t>, 2>& edges(std::size_t node) const {
    return edges_[node];
  }
  /// The field of the trigger of `node`.
  [[nodiscard]] std::string field(const StagedVehicle& v, std::size_t node) const {
    const std::size_t i = static_cast<std::size_t>(
        std::upper_bound(first_.begin(), first_.end(), node) - first_.begin() - 1);
    const Element& e = v.elements[i];
    const std::size_t slot = node - first_[i];
    if (slot == 2 * e.burns()) return element_field(e, "jettison");
    return burn_field(e, slot / 2, slot % 2 == 0 ? "ignition" : "shutdown");
  }

 private:
  [[nodiscard]] std::optional<std::size_t> dependency(const StagedVehicle& v, const Trigger& t,
                                                      std::size_t self) const {
    if (t.kind == Trigger::Kind::own_burnout) return first_[self] + 2 * v.elements[self].burns() - 1;
    if (t.kind != Trigger::Kind::after) return std::nullopt;
    const std::size_t burns = v.elements[t.element].burns();
    switch (t.moment) {
      case ElementMoment::ignition:
        return first_[t.element] + 2 * t.burn;
      case ElementMoment::burnout:
        return first_[t.element] + 2 * t.burn + 1;
      case ElementMoment::jettison:
        break;
    }
    return first_[t.element] + 2 * burns;
  }

  std::vector<std::size_t> first_;
  std::size_t size_ = 0;
  std::vector<std::array<std::optional<std::size_t>, 2>> edges_;
};

/// An element whose moments wait on each other in a ring, and which moment.
Fault check_waiting_rings(const StagedVehicle& v) {
  const MomentGraph graph(v);
  // Depth-first search: a node met again on the path closes a ring.
  std::vector<int> colour(graph.size(), 0);  // 0 unseen, 1 on the path, 2 done
  std::vector<std::pair<std::size_t, int>> stack;
  for (std::size_t start = 0; start < graph.size(); ++start) {
    if (colour[start] != 0) continue;
    stack.push_back({start, 0});
    colour[start] = 1;
    while (!stack.empty()) {
      auto& [node, next] = stack.back();
      if (next == 2) {
        colour[node] = 2;
        stack.pop_back();
        continue;
      }
      const std::optional<std::size_t> to = graph.edges(node)[static_cast<std::size_t>(next++)];
      if (!to) continue;
      if (colour[*to] == 1) {
        // The ring is the path from `to` on: it is told at the first of its
        // triggers that names another moment (the order of a burn's moments is implied).
        std::size_t at = node;
        for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
          if (graph.edges(it->first)[0]) at = it->first;
          if (it->first == *to) break;
        }
        return StagedFault{graph.field(v, at),
                           "waits for an event that waits for it in turn: the events wait on each other"};
      }
      if (colour[*to] == 0) {
        colour[*to] = 1;
        stack.push_back({*to, 0});
      }
    }
  }
  return std::nullopt;
}

/// The time of each element's moments where the triggers fix it alone.
struct Schedule {
  std::vector<std::array<std::optional<double>, 3>> at;
};

/// Only the first burn's moments are in the schedule.
std::optional<double> fixed_time(const Trigger& t, const Schedule& s, std::size_t self, bool relit) {
  switch (t.kind) {
    case Trigger::Kind::liftoff:
      return 0.0;
    case Trigger::Kind::time:
      return t.value;
    case Trigger::Kind::after:
      if (t.burn > 0) return std::nullopt;
      if (const auto& m = s.at[t.element][static_cast<std::size_t>(t.moment)]) return *m + t.delay;
      return std::nullopt;
    case Trigger::Kind::own_burnout:
      if (relit) return std::nullopt;
      return s.at[self][1];
    default:
      return std::nullopt;
  }
}

Fault check_jettison_order(const StagedVehicle& v) {
  const std::size_t n = v.elements.size();
  Schedule s{std::vector<std::array<std::optional<double>, 3>>(n)};
  std::vector<std::optional<double>> burns;
  // At the engine's highest throttle, where no phase lowers it.
  for (const Element& e : v.elements) {
    burns.push_back(e.max_throttle > 0.0 ? burn_duration(e, 0.0, e.propellant / e.max_throttle)
                                         : std::nullopt);
  }
  // No rings (checked before): 3 n rounds settle every chain.
  for (std::size_t round = 0; round < 3 * n; ++round) {
    for (std::size_t i = 0; i < n; ++i) {
      const Element& e = v.elements[i];
      s.at[i][0] = e.propulsive() ? fixed_time(e.ignition, s, i, false) : std::nullopt;
      std::optional<double> off = fixed_time(e.shutdown, s, i, false);
      if (e.shutdown.kind == Trigger::Kind::depletion && s.at[i][0] && burns[i]) {
        off = *s.at[i][0] + *burns[i];
      }
      s.at[i][1] = off;
      s.at[i][2] = fixed_time(e.jettison, s, i, !e.relights.empty());
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    const Element& e = v.elements[i];
    if (s.at[i][0] && s.at[i][2] && *s.at[i][2] < *s.at[i][0] - TIME_SLACK) {
      return StagedFault{element_field(e, "jettison"), "the element is jettisoned before its ignition"};
    }
    if (s.at[i][0] && s.at[i][1] && e.shutdown.kind != Trigger::Kind::depletion &&
        *s.at[i][1] < *s.at[i][0] - TIME_SLACK) {
      return StagedFault{element_field(e, "shutdown"), "the element shuts down before its ignition"};
    }
  }
  return std::nullopt;
}

Fault check_environment(const StagedVehicle& v) {
  const EarthModel& earth = v.earth;
  if (!(std::isfinite(earth.gravitational_parameter) && earth.gravitational_parameter > 0.0)) {
    return StagedFault{"environment.gravitational_parameter", "must be a finite number above 0"};
  }
  if (!(std::isfinite(earth.equatorial_radius) && earth.equatorial_radius > 0.0)) {
    return StagedFault{"environment.equatorial_radius", "must be a finite length above 0 m"};
  }
  if (!(std::isfinite(earth.rotation_rate) && std::fabs(earth.rotation_rate) < 1e-2)) {
    return StagedFault{"environment.rotation_rate", "must be a finite rate below 0.01 rad/s"};
  }
  if (!(std::isfinite(earth.j2) && std::fabs(earth.j2) < 0.1)) {
    return StagedFault{"environment.j2", "must be a finite number below 0.1"};
  }
  if (!finite_at_least(v.air.sea_level_density, 0.0)) {
    return StagedFault{"environment.sea_level_density", "must be finite, 0 kg/m^3 or more"};
  }
  if (!(std::isfinite(v.air.scale_height) && v.air.scale_height > 0.0)) {
    return StagedFault{"environment.scale_height", "must be a finite height above 0 m"};
  }
  if (!(std::fabs(v.site.latitude) <= 90.0 * DEG)) {
    return StagedFault{"launch_site.latitude", "must be -90 to 90 deg"};
  }
  if (!std::isfinite(v.site.longitude)) {
    return StagedFault{"launch_site.longitude", "must be a finite angle"};
  }
  if (!(v.site.altitude >= 0.0 && v.site.altitude <= 10000.0)) {
    return StagedFault{"launch_site.altitude", "must be 0 to 10000 m"};
  }
  if (!finite_at_least(v.payload, 0.0)) {
    return StagedFault{"payload.mass", "must be a finite mass, 0 kg or more"};
  }
  // At most a million steps: a flight ends in bounded time and memory.
  if (!(v.step >= 0.1 && v.step <= 10.0)) return StagedFault{"flight.step", "must be 0.1 s to 10 s"};
  if (!(v.max_time > 0.0 && v.max_time <= 1e5)) {
    return StagedFault{"flight.max_time", "must be above 0 s and at most 1e5 s"};
  }
  return std::nullopt;
}

Fault check_target(const StagedVehicle& v) {
  const StagedTarget& t = v.target;
  if (!(finite_at_least(t.perigee_altitude, 0.0) && finite_at_least(t.apogee_altitude, 0.0))) {
    return StagedFault{"target.perigee", "the apsides must be finite altitudes, 0 m or more"};
  }
  if (t.apogee_altitude < t.perigee_altitude) {
    return StagedFault{"target.apogee", "the apogee must not lie below the perigee"};
  }
  if (!(t.inclination >= 0.0 && t.inclination <= std::numbers::pi)) {
    return StagedFault{"target.inclination", "must be 0 to 180 deg"};
  }
  if (!finite_at_least(t.minimum_perigee, 0.0)) {
    return StagedFault{"target.minimum_perigee", "must be a finite altitude, 0 m or more"};
  }
  for (const auto& [angle, field] : {std::pair{t.ascending_node, "target.ascending_node"},
                                     std::pair{t.argument_of_perigee, "target.argument_of_perigee"},
                                     std::pair{t.azimuth, "target.azimuth"}}) {
    if (angle && !std::isfinite(*angle)) return StagedFault{field, "must be a finite angle"};
  }
  if (!v.launch_azimuth()) {
    return StagedFault{"target.inclination",
                       "the launch latitude cannot reach this inclination without a plane change "
                       "(a dogleg): the inclination must be at least the latitude"};
  }
  return std::nullopt;
}

}  // namespace

std::string element_field(const Element& e, const std::string& key) {
  return "element." + e.name + "." + key;
}

std::string burn_field(const Element& e, std::size_t burn, const std::string& key) {
  if (burn == 0) return element_field(e, key);
  return element_field(e, "relights." + std::to_string(burn) + "." + key);
}

std::string phase_field(const Phase& p, const std::string& key) {
  return "phase." + p.name + "." + key;
}

std::optional<StagedFault> staged_vehicle_fault(const StagedVehicle& v) {
  if (Fault f = check_environment(v)) return f;
  std::set<std::string> names;
  bool engine = false;
  for (const Element& e : v.elements) {
    if (Fault f = check_element(v, e)) return f;
    if (!names.insert(e.name).second) {
      return StagedFault{element_field(e, "name"), "two elements share the name " + e.name};
    }
    engine = engine || e.propulsive();
  }
  if (!engine) return StagedFault{"element", "no element burns: the vehicle has no engine"};
  if (Fault f = check_waiting_rings(v)) return f;
  if (Fault f = check_jettison_order(v)) return f;
  for (std::size_t i = 0; i < v.aerodynamics.size(); ++i) {
    const AeroConfiguration& a = v.aerodynamics[i];
    const std::string field = "aerodynamics." + std::to_string(i + 1);
    if (Fault f = check_trigger(v, a.from, field + ".from", false, false, false)) return f;
    if (!finite_at_least(a.drag.reference_area, 0.0) || !finite_at_least(a.drag.drag_coefficient, 0.0)) {
      return StagedFault{field, "the area and the drag coefficient must be finite, 0 or more"};
    }
    if (Fault f = check_table(a.drag.against_mach, field + ".drag_table", true)) return f;
  }
  if (v.phases.empty()) return StagedFault{"phase", "the flight sequence has no phase"};
  for (const Phase& p : v.phases) {
    if (Fault f = check_trigger(v, p.end, phase_field(p, "until"), true, false, false)) return f;
    if (Fault f = check_throttle_law(p)) return f;
    const StagedSteering& s = p.steering;
    if (s.kind == StagedSteering::Kind::pitch_yaw_table && s.pitch.empty()) {
      return StagedFault{phase_field(p, "pitch"), "a pitch programme needs its table"};
    }
    if (Fault f = check_table(s.pitch, phase_field(p, "pitch"), false)) return f;
    if (Fault f = check_table(s.yaw, phase_field(p, "yaw"), false)) return f;
    if (!(std::isfinite(s.pitch_rate) && (!s.pitch_offset || std::isfinite(*s.pitch_offset)))) {
      return StagedFault{phase_field(p, "pitch_rate"), "must be finite"};
    }
    if (!(finite_at_least(s.law_exponent, 0.0) && finite_at_least(s.maxa, 0.0))) {
      return StagedFault{phase_field(p, "maxa"), "the law's exponent and limit must be finite, 0 or more"};
    }
    if (!(s.guidance.cycle >= MIN_GUIDANCE_CYCLE && s.guidance.cycle <= MAX_GUIDANCE_CYCLE)) {
      return StagedFault{phase_field(p, "cycle"), "the guidance cycle must be 0.1 to 60 s"};
    }
    if (!(s.guidance.hold >= 0.0 && s.guidance.hold <= MAX_GUIDANCE_HOLD)) {
      return StagedFault{phase_field(p, "hold"), "the guidance hold must be 0 to 120 s of time to go"};
    }
  }
  if (!(v.liftoff_mass() > 0.0)) return StagedFault{"payload.mass", "the vehicle has no mass"};
  return check_target(v);
}

std::optional<StagedFault> staged_plan_fault(const StagedVehicle& v, const StagedPlan& plan) {
  if (plan.final_time && !(std::isfinite(*plan.final_time) && *plan.final_time > 0.0)) {
    return StagedFault{"plan.final_time", "must be a finite time above 0 s"};
  }
  if (plan.payload && !finite_at_least(*plan.payload, 0.0)) {
    return StagedFault{"plan.payload", "must be a finite mass, 0 kg or more"};
  }
  const DirectionTable& table = plan.steering;
  if (table.times.size() != table.directions.size()) {
    return StagedFault{"plan.steering", "needs one direction per time"};
  }
  for (std::size_t i = 0; i < table.times.size(); ++i) {
    if (!std::isfinite(table.times[i]) || !table.directions[i].allFinite() ||
        !(table.directions[i].norm() > 0.0)) {
      return StagedFault{"plan.steering", "every time and direction must be finite, no direction 0"};
    }
    if (i > 0 && !(table.times[i] > table.times[i - 1])) {
      return StagedFault{"plan.steering", "the times must increase"};
    }
  }
  for (const Phase& p : v.phases) {
    if (p.steering.kind == StagedSteering::Kind::direction_table && table.empty() &&
        p.steering.directions.empty()) {
      return StagedFault{phase_field(p, "direction"),
                         "a phase steered by a table of directions needs the table (the deck's or the plan's)"};
    }
  }
  return std::nullopt;
}

}  // namespace ascent
