#include "mission/staged_flight.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

#include "base/runtime_error.hpp"
#include "dynamics/gravity.hpp"
#include "mission/insertion_target.hpp"
#include "mission/load_limits.hpp"
#include "mission/staged_checks.hpp"
#include "mission/staged_propellant.hpp"
#include "mission/staged_steering.hpp"
#include "mission/staged_throttle.hpp"

namespace ascent {

namespace {

/// [s] times this close are one moment: a step that ends on a trigger's
/// time fires it, whatever the rounding of the sum of the steps.
constexpr double SAME_MOMENT = 1e-9;
/// [s] an event of the state is located to this.
constexpr double EVENT_LOCATION = 1e-10;
/// [s] the pad holds the vehicle at most this long after ignition.
constexpr double LIFTOFF_SEARCH = 60.0;
/// [s] the pad's hold-down is searched in steps of this.
constexpr double LIFTOFF_SCAN = 0.01;
/// [m] below the pad by more than this, the vehicle has fallen back.
constexpr double GROUND_MARGIN = 1.0;
constexpr double NEVER = std::numeric_limits<double>::infinity();

/// [1] the dynamic-pressure limit's command is found to this.
constexpr double COMMAND_TOLERANCE = 1e-7;

/// The state of one element in the flight.
struct ElementRun {
  std::vector<double> ignitions;    ///< [s] of each burn
  std::vector<double> burnouts;     ///< [s] of each burn that has ended
  std::optional<double> jettison;   ///< [s]
  std::optional<double> depletion;  ///< [s] when its propellant runs out at the present throttle
  double throttle = 1.0;  ///< [1] of the vacuum thrust, while burning
  double burned = 0.0;    ///< [kg] one unit's propellant burned until `counted`
  double counted = 0.0;   ///< [s] mission time `burned` is counted to

  [[nodiscard]] bool burning() const { return ignitions.size() > burnouts.size(); }
  /// [s] the present burn's ignition.
  [[nodiscard]] double lit() const { return ignitions.back(); }
};

/// "<element>.<moment>", the burn's number after the moment from the second burn on.
std::string moment_name(const Element& e, const char* moment, std::size_t burn) {
  return e.name + "." + moment + (burn == 0 ? "" : std::to_string(burn + 1));
}

/// Whether a trigger waits for the state rather than for a time.
bool state_trigger(Trigger::Kind kind) {
  switch (kind) {
    case Trigger::Kind::altitude:
    case Trigger::Kind::heat_flux_below:
    case Trigger::Kind::speed:
    case Trigger::Kind::circular_speed:
    case Trigger::Kind::target_energy:
    case Trigger::Kind::apogee:
    case Trigger::Kind::apogee_altitude:
      return true;
    default:
      return false;
  }
}

/// Whether reaching the trigger needs thrust: without it the wait is hopeless.
bool needs_thrust(Trigger::Kind kind) {
  return kind == Trigger::Kind::speed || kind == Trigger::Kind::circular_speed ||
         kind == Trigger::Kind::target_energy || kind == Trigger::Kind::apogee_altitude;
}

/// Something that waits for a trigger.
struct Waiter {
  enum class Action { ignite, shut_down, jettison, configure };
  Action action;
  std::size_t index;  ///< the element or the aerodynamic configuration
  bool armed = false;  ///< heat flux above, or climbing, seen
};

class StagedFlight {
 public:
  StagedFlight(const StagedVehicle& vehicle, const StagedPlan& plan)
      : v_(vehicle), plan_(plan), runs_(vehicle.elements.size()) {
    for (std::size_t i = 0; i < v_.elements.size(); ++i) {
      waiters_.push_back({Waiter::Action::ignite, i});
      waiters_.push_back({Waiter::Action::shut_down, i});
      waiters_.push_back({Waiter::Action::jettison, i});
    }
    for (std::size_t i = 0; i < v_.aerodynamics.size(); ++i) {
      waiters_.push_back({Waiter::Action::configure, i});
    }
    azimuth_ = v_.launch_azimuth().value_or(0.0);
    for (Phase& phase : phases_ = v_.phases) {
      if (phase.steering.kind == StagedSteering::Kind::direction_table && !plan.steering.empty()) {
        phase.steering.directions = plan.steering;
      }
    }
  }

  StagedResult fly();

 private:
  // Triggers and the moments they wait for.
  [[nodiscard]] std::optional<double> moment_time(const Trigger& after) const;
  [[nodiscard]] std::optional<double> due(const Trigger& trigger, std::size_t self) const;
  [[nodiscard]] const Trigger& trigger_of(const Waiter& w) const;
  [[nodiscard]] bool active(const Waiter& w) const;
  [[nodiscard]] std::optional<double> waiter_due(const Waiter& w) const;
  [[nodiscard]] double state_gap(const Trigger& trigger, const PointMassState& x) const;
  [[nodiscard]] bool met(const Trigger& trigger, bool armed, const PointMassState& x) const;
  /// Whether a trigger that waits for a change is armed at `x`: the heat flux
  /// seen above its value, or climbing in a coast.
  [[nodiscard]] bool armed_now(const Trigger& trigger, bool armed, const PointMassState& x) const;
  void arm(Waiter& w, const PointMassState& x) const;
  void arm_phase(const PointMassState& x);

  void fire(Waiter& w);
  void fire_due_events();
  void end_phase();
  void start_phase();
  void record_event(const std::string& name, const std::string& element = "");

  // Motion.
  [[nodiscard]] ThrustSetting engines(double t) const;
  [[nodiscard]] const DragModel& drag() const;
  [[nodiscard]] PointMassState rates(double t, const PointMassState& x) const;
  [[nodiscard]] PointMassState step(double dt) const;
  [[nodiscard]] double earliest_due() const;
  [[nodiscard]] double next_break() const;
  [[nodiscard]] bool lift_off();
  void take_step();
  /// The thrust direction, the loads and the history's sample at the state
  /// reached; returns its altitude [m].
  double take_sample();
  void after_step();
  [[nodiscard]] bool hopeless() const;

  [[nodiscard]] double remaining(std::size_t i, double t) const;
  // The throttle.
  /// Counts element `i`'s propellant burned up to now.
  void settle(std::size_t i);
  /// When element `i`'s propellant runs out at its present throttle.
  void update_depletion(std::size_t i);
  /// Every burning engine at the command, within its range.
  void throttle_to(double command);
  /// The phase's setting lowered until the dynamic pressure at the end of
  /// the step of `dt` [s] from now holds at the phase's limit.
  void hold_dynamic_pressure(double dt);
  [[nodiscard]] double command_now() const;
  void end_flight(Outcome outcome, OrbitFailure failure = OrbitFailure::none);
  void finish();

  const StagedVehicle& v_;
  const StagedPlan& plan_;
  std::vector<Phase> phases_;
  std::vector<ElementRun> runs_;
  std::vector<Waiter> waiters_;
  double azimuth_ = 0.0;
  Vector3 plane_normal_ = Vector3::UnitZ();  ///< of the flight plane, inertial
  InsertionTarget insertion_;                ///< where a guided phase aims
  std::size_t aero_ = 0;
  bool aero_set_ = false;

  std::size_t phase_ = 0;
  double phase_start_ = 0.0;
  bool phase_armed_ = false;
  double offset_ = 0.0;
  std::optional<PhaseSteering> steering_;
  Vector3 last_direction_ = Vector3::UnitZ();

  /// [s] the earliest time a trigger waits for, as of the last firing: no
  /// trigger is due before it, as only a firing makes new ones due.
  double next_due_ = -NEVER;

  double t_ = 0.0;
  PointMassState x_{};
  bool ended_ = false;
  StagedResult result_;
};

std::optional<double> StagedFlight::moment_time(const Trigger& after) const {
  const ElementRun& run = runs_[after.element];
  const auto of_burn = [&](const std::vector<double>& times) -> std::optional<double> {
    if (after.burn < times.size()) return times[after.burn];
    return std::nullopt;
  };
  switch (after.moment) {
    case ElementMoment::ignition:
      return of_burn(run.ignitions);
    case ElementMoment::burnout:
      return of_burn(run.burnouts);
    case ElementMoment::jettison:
      return run.jettison;
  }
  return std::nullopt;
}

std::optional<double> StagedFlight::due(const Trigger& trigger, std::size_t self) const {
  switch (trigger.kind) {
    case Trigger::Kind::liftoff:
      return 0.0;
    case Trigger::Kind::time:
      return trigger.value;
    case Trigger::Kind::elapsed:
      return phase_start_ + trigger.value;
    case Trigger::Kind::after:
      if (const auto at = moment_time(trigger)) return *at + trigger.delay;
      return std::nullopt;
    case Trigger::Kind::own_burnout:
      // The last burn's.
      if (runs_[self].burnouts.size() == v_.elements[self].burns()) return runs_[self].burnouts.back();
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

const Trigger& StagedFlight::trigger_of(const Waiter& w) const {
  switch (w.action) {
    case Waiter::Action::ignite:
      return v_.elements[w.index].ignition_of(runs_[w.index].ignitions.size());
    case Waiter::Action::shut_down:
      return v_.elements[w.index].shutdown_of(runs_[w.index].ignitions.size() - 1);
    case Waiter::Action::jettison:
      return v_.elements[w.index].jettison;
    case Waiter::Action::configure:
      break;
  }
  return v_.aerodynamics[w.index].from;
}

bool StagedFlight::active(const Waiter& w) const {
  if (w.action == Waiter::Action::configure) return !(aero_set_ && aero_ >= w.index);
  const ElementRun& run = runs_[w.index];
  if (run.jettison) return false;
  switch (w.action) {
    case Waiter::Action::ignite:
      return v_.elements[w.index].propulsive() && !run.burning() &&
             run.ignitions.size() < v_.elements[w.index].burns();
    case Waiter::Action::shut_down:
      return run.burning();
    default:
      return true;
  }
}

std::optional<double> StagedFlight::waiter_due(const Waiter& w) const {
  std::optional<double> at = due(trigger_of(w), w.index);
  if (w.action == Waiter::Action::shut_down) {
    // Whatever the shutdown waits for, an engine stops when its tanks are empty.
    const std::optional<double>& empty = runs_[w.index].depletion;  // while burning
    if (empty && (!at || *empty < *at)) at = empty;
  }
  return at;
}

double StagedFlight::state_gap(const Trigger& trigger, const PointMassState& x) const {
  const EarthModel& earth = v_.earth;
  switch (trigger.kind) {
    case Trigger::Kind::altitude:
      return x.position.norm() - earth.equatorial_radius - trigger.value;
    case Trigger::Kind::heat_flux_below: {
      const Airflow flow = airflow(earth, v_.air, x.position, x.velocity);
      return trigger.value - 0.5 * flow.air.density * std::pow(flow.air_speed, 3);
    }
    case Trigger::Kind::speed:
      return x.velocity.norm() - trigger.value;
    case Trigger::Kind::circular_speed:
      return x.velocity.norm() - v_.target_circular_speed();
    case Trigger::Kind::target_energy: {
      const double mu = earth.gravitational_parameter;
      const double energy = 0.5 * x.velocity.squaredNorm() - mu / x.position.norm();
      return energy + mu / (2.0 * v_.target_semi_major_axis());
    }
    case Trigger::Kind::apogee:
      return -x.velocity.dot(x.position.normalized());
    case Trigger::Kind::apogee_altitude: {
      const double mu = earth.gravitational_parameter;
      const double r = x.position.norm();
      const double energy = 0.5 * x.velocity.squaredNorm() - mu / r;
      const double h = x.position.cross(x.velocity).norm();
      // The apogee radius from energy and angular momentum; escape counts as above any value.
      if (!(energy < 0.0)) return 1.0;
      const double a = -mu / (2.0 * energy);
      const double e = std::sqrt(std::max(0.0, 1.0 - h * h / (mu * a)));
      return a * (1.0 + e) - earth.equatorial_radius - trigger.value;
    }
    default:
      return -1.0;
  }
}

bool StagedFlight::met(const Trigger& trigger, bool armed, const PointMassState& x) const {
  const bool needs_arming =
      trigger.kind == Trigger::Kind::heat_flux_below || trigger.kind == Trigger::Kind::apogee;
  return (armed || !needs_arming) && state_gap(trigger, x) >= 0.0;
}

bool StagedFlight::armed_now(const Trigger& trigger, bool armed, const PointMassState& x) const {
  switch (trigger.kind) {
    case Trigger::Kind::heat_flux_below:
      return armed || state_gap(trigger, x) < 0.0;
    case Trigger::Kind::apogee:
      // A coast's apogee: climbing with every engine off.
      return state_gap(trigger, x) < 0.0 && !(engines(t_).vacuum_thrust > 0.0);
    default:
      return armed;
  }
}

void StagedFlight::arm(Waiter& w, const PointMassState& x) const {
  w.armed = armed_now(trigger_of(w), w.armed, x);
}

void StagedFlight::arm_phase(const PointMassState& x) {
  phase_armed_ = armed_now(phases_[phase_].end, phase_armed_, x);
}

void StagedFlight::record_event(const std::string& name, const std::string& element) {
  result_.events.push_back({t_, name, element, x_});
}

void StagedFlight::fire(Waiter& w) {
  const Element& e = v_.elements[w.index];
  ElementRun& run = runs_[w.index];
  switch (w.action) {
    case Waiter::Action::ignite:
      run.ignitions.push_back(t_);
      run.counted = t_;
      run.throttle = engine_throttle(command_now(), e.min_throttle, e.max_throttle);
      update_depletion(w.index);
      w.armed = false;  // the waiter waits for the next burn's trigger now
      record_event(moment_name(e, "ignition", run.ignitions.size() - 1), e.name);
      return;
    case Waiter::Action::shut_down:
      settle(w.index);
      run.burnouts.push_back(t_);
      w.armed = false;
      record_event(moment_name(e, "burnout", run.burnouts.size() - 1), e.name);
      return;
    case Waiter::Action::jettison: {
      if (run.burning()) {
        settle(w.index);
        run.burnouts.push_back(t_);
        record_event(moment_name(e, "burnout", run.burnouts.size() - 1), e.name);
      }
      const double dropped = e.count * e.dry_mass + remaining(w.index, t_);
      x_.mass -= dropped;
      run.jettison = t_;
      record_event(e.name + ".jettison", e.name);
      result_.events.back().dropped_mass = dropped;
      return;
    }
    case Waiter::Action::configure:
      aero_ = w.index;
      aero_set_ = true;
      record_event("aerodynamics." + std::to_string(w.index + 1));
      return;
  }
}

void StagedFlight::fire_due_events() {
  if (t_ + SAME_MOMENT < next_due_) return;
  bool fired = true;
  while (fired && !ended_) {
    fired = false;
    for (Waiter& w : waiters_) {
      if (!active(w)) continue;
      const std::optional<double> at = waiter_due(w);
      if (at && *at <= t_ + SAME_MOMENT) {
        fire(w);
        fired = true;
      }
    }
    if (plan_.final_time && *plan_.final_time <= t_ + SAME_MOMENT) {
      record_event("end");
      ended_ = true;
      return;
    }
    const std::optional<double> phase_end = due(phases_[phase_].end, 0);
    if (phase_end && *phase_end <= t_ + SAME_MOMENT) {
      end_phase();
      fired = true;
    }
  }
  next_due_ = earliest_due();
}

void StagedFlight::end_phase() {
  record_event(phases_[phase_].name + ".end");
  offset_ = steering_->pitch_offset(t_);
  if (++phase_ == phases_.size()) {
    record_event("end");
    ended_ = true;
    return;
  }
  start_phase();
}

void StagedFlight::start_phase() {
  phase_start_ = t_;
  phase_armed_ = false;
  const Airflow flow = airflow(v_.earth, v_.air, x_.position, x_.velocity);
  const ThrustSetting thrust = engines(t_);
  const double drag_force =
      flow.dynamic_pressure * drag().reference_area * drag().coefficient(flow.mach);
  const SteeringView view{t_, x_, flow, effective_thrust(thrust, flow.air.pressure), thrust.mass_flow,
                          drag_force};
  steering_.emplace(phases_[phase_].steering, plane_normal_, t_, offset_, view, last_direction_,
                    v_.earth, insertion_);
}

double StagedFlight::remaining(std::size_t i, double t) const {
  const Element& e = v_.elements[i];
  const ElementRun& run = runs_[i];
  double burned = run.burned;
  if (run.burning()) {
    burned += run.throttle * (propellant_burned(e, t - run.lit()) -
                              propellant_burned(e, run.counted - run.lit()));
  }
  return e.count * (e.propellant - burned);
}

void StagedFlight::settle(std::size_t i) {
  ElementRun& run = runs_[i];
  run.burned = v_.elements[i].propellant - remaining(i, t_) / v_.elements[i].count;
  run.counted = t_;
}

void StagedFlight::update_depletion(std::size_t i) {
  const Element& e = v_.elements[i];
  ElementRun& run = runs_[i];
  run.depletion.reset();
  // A stage burning to the cutoff burns what the flight needs (a rubber tank).
  if (e.shutdown_of(run.ignitions.size() - 1).kind == Trigger::Kind::cutoff) return;
  if (!(run.throttle > 0.0)) return;
  const double left = e.propellant - run.burned;  // [kg] one unit's, at `counted`
  if (const auto burn = burn_duration(e, run.counted - run.lit(), left / run.throttle)) {
    run.depletion = run.counted + *burn;
  }
}

double StagedFlight::command_now() const { return phases_[phase_].throttle.command(t_); }

void StagedFlight::throttle_to(double command) {
  bool changed = false;
  for (std::size_t i = 0; i < runs_.size(); ++i) {
    ElementRun& run = runs_[i];
    if (!run.burning()) continue;
    const Element& e = v_.elements[i];
    const double throttle = engine_throttle(command, e.min_throttle, e.max_throttle);
    if (throttle == run.throttle) continue;
    settle(i);
    run.throttle = throttle;
    update_depletion(i);
    changed = true;
  }
  if (changed) next_due_ = earliest_due();
}

void StagedFlight::hold_dynamic_pressure(double dt) {
  const ThrottleLaw& law = phases_[phase_].throttle;
  if (!(law.dynamic_pressure_limit > 0.0)) return;
  const double setting = law.command(t_);
  const auto too_high = [&](double command) {
    throttle_to(command);
    const PointMassState x = step(dt);
    return airflow(v_.earth, v_.air, x.position, x.velocity).dynamic_pressure >
           law.dynamic_pressure_limit;
  };
  if (!too_high(setting)) return;
  throttle_to(largest_command_below(0.0, setting, COMMAND_TOLERANCE, too_high));
}

ThrustSetting StagedFlight::engines(double t) const {
  ThrustSetting s;
  for (std::size_t i = 0; i < runs_.size(); ++i) {
    const ElementRun& run = runs_[i];
    if (!run.burning()) continue;
    const Element& e = v_.elements[i];
    const double thrust = run.throttle * e.count * e.unit_thrust(t - run.lit());
    s.vacuum_thrust += thrust;
    s.mass_flow += thrust / e.exhaust_velocity;
    s.exit_area += e.count * e.exit_area;
  }
  return s;
}

const DragModel& StagedFlight::drag() const {
  static const DragModel none{};
  return aero_set_ ? v_.aerodynamics[aero_].drag : none;
}

PointMassState StagedFlight::rates(double t, const PointMassState& x) const {
  const Airflow flow = airflow(v_.earth, v_.air, x.position, x.velocity);
  ThrustSetting thrust = engines(t);
  const DragModel& model = drag();
  const double drag_force = flow.dynamic_pressure * model.reference_area * model.coefficient(flow.mach);
  thrust.direction =
      steering_->direction({t, x, flow, effective_thrust(thrust, flow.air.pressure), thrust.mass_flow,
                            drag_force});
  return point_mass_rates(x, v_.earth, flow, thrust, model);
}

PointMassState StagedFlight::step(double dt) const {
  return rk4_step(x_, t_, dt, [this](double t, const PointMassState& x) { return rates(t, x); });
}

double StagedFlight::earliest_due() const {
  double next = NEVER;
  const auto consider = [&](std::optional<double> at) {
    if (at && *at < next) next = *at;
  };
  for (const Waiter& w : waiters_) {
    if (active(w)) consider(waiter_due(w));
  }
  if (!ended_) consider(due(phases_[phase_].end, 0));  // the last phase's end ends the flight
  consider(plan_.final_time);
  return next;
}

namespace {

/// The first of the increasing `times` (shifted by `offset`) after `t`.
template <class Times, class Time>
double first_after(const Times& times, Time time_of, double offset, double t) {
  const auto it = std::upper_bound(times.begin(), times.end(), t - offset,
                                   [&](double x, const auto& p) { return x < time_of(p); });
  return it == times.end() ? NEVER : offset + time_of(*it);
}

}  // namespace

double StagedFlight::next_break() const {
  const double after = t_ + SAME_MOMENT;
  double next = next_due_ > after ? next_due_ : NEVER;
  // Nodes of the thrust tables of burning engines and of the phase's steering tables.
  const auto x_of = [](const TablePoint& p) { return p.x; };
  for (std::size_t i = 0; i < runs_.size(); ++i) {
    const ElementRun& run = runs_[i];
    if (!run.burning()) continue;
    next = std::min(next, first_after(v_.elements[i].thrust_table.points(), x_of, run.lit(), after));
  }
  next = std::min(next, phases_[phase_].throttle.next_setting(after));
  const StagedSteering& steering = phases_[phase_].steering;
  next = std::min(next, first_after(steering.pitch.points(), x_of, 0.0, after));
  next = std::min(next, first_after(steering.yaw.points(), x_of, 0.0, after));
  next = std::min(next, first_after(steering.directions.times, [](double x) { return x; }, 0.0, after));
  return next;
}

bool StagedFlight::lift_off() {
  // On the pad the vehicle turns with the Earth and burns propellant until
  // the effective thrust outweighs its weight.
  const Vector3 pad = x_.position;
  const double weight_per_kg = -gravity(v_.earth, pad).dot(pad.normalized());
  const double pressure = air_data(v_.air, v_.site.altitude).pressure;
  const double m0 = x_.mass;
  const auto mass_at = [&](double t) {
    double burned = 0.0;
    for (std::size_t i = 0; i < runs_.size(); ++i) {
      if (runs_[i].burning()) burned += v_.elements[i].count * v_.elements[i].propellant - remaining(i, t);
    }
    return m0 - burned;
  };
  const auto lifts = [&](double t) {
    return effective_thrust(engines(t), pressure) > mass_at(t) * weight_per_kg;
  };
  double limit = LIFTOFF_SEARCH;
  for (const Waiter& w : waiters_) {
    if (!active(w)) continue;
    if (const auto at = waiter_due(w)) limit = std::min(limit, *at);
  }
  double lo = 0.0;
  double hi = 0.0;
  while (!lifts(hi)) {
    lo = hi;
    hi += LIFTOFF_SCAN;
    if (hi > limit) return false;
  }
  if (hi > 0.0) {
    while (hi - lo > EVENT_LOCATION) {
      const double mid = 0.5 * (lo + hi);
      (lifts(mid) ? hi : lo) = mid;
    }
  }
  const double angle = v_.earth.rotation_rate * hi;
  const Eigen::AngleAxisd turn(angle, Vector3::UnitZ());
  x_.position = turn * pad;
  x_.velocity = v_.earth.rotation().cross(x_.position);
  x_.mass = mass_at(hi);
  t_ = hi;
  result_.liftoff_time = hi;
  const LocalFrame frame = LocalFrame::at(x_.position);
  plane_normal_ = frame.up.cross(frame.heading(azimuth_));
  insertion_ = insertion_target(v_, x_.position);
  record_event("liftoff");
  return true;
}

void StagedFlight::take_step() {
  throttle_to(command_now());
  const double next = next_break();
  double dt = std::min(v_.step, next - t_);
  const bool to_break = !(v_.step < next - t_);
  // Throttling down only delays a depletion: the step still ends on no later event.
  hold_dynamic_pressure(dt);
  PointMassState after = step(dt);

  // Events of the state inside the step: the earliest is located, and the
  // step retaken to it.
  double earliest = dt;
  for (Waiter& w : waiters_) {
    if (active(w)) arm(w, x_);
  }
  arm_phase(x_);
  const auto locate = [&](const Trigger& trigger, bool armed) {
    if (!state_trigger(trigger.kind) || met(trigger, armed, x_) || !met(trigger, armed, after)) return;
    double lo = 0.0;
    double hi = earliest;
    if (!met(trigger, armed, step(hi))) return;  // met only beyond an earlier event
    while (hi - lo > EVENT_LOCATION) {
      const double mid = 0.5 * (lo + hi);
      (met(trigger, armed, step(mid)) ? hi : lo) = mid;
    }
    earliest = hi;
  };
  for (const Waiter& w : waiters_) {
    if (active(w)) locate(trigger_of(w), w.armed);
  }
  locate(phases_[phase_].end, phase_armed_);
  if (earliest < dt) {
    dt = earliest;
    after = step(dt);
  }
  t_ = to_break && dt == next - t_ ? next : t_ + dt;
  x_ = after;
  after_step();
}

double StagedFlight::take_sample() {
  const Airflow flow = airflow(v_.earth, v_.air, x_.position, x_.velocity);
  const ThrustSetting thrust = engines(t_);
  const DragModel& model = drag();
  const double drag_force = flow.dynamic_pressure * model.reference_area * model.coefficient(flow.mach);
  const double T = effective_thrust(thrust, flow.air.pressure);
  const SteeringView view{t_, x_, flow, T, thrust.mass_flow, drag_force};
  steering_->update(view);
  last_direction_ = steering_->direction(view);

  // The loads.
  LoadMaxima now;
  now.acceleration = T / x_.mass;
  now.acceleration_time = now.dynamic_pressure_time = now.q_alpha_time = t_;
  now.dynamic_pressure = flow.dynamic_pressure;
  if (T > 0.0 && flow.air_speed > 0.0) {
    const double cosine = last_direction_.dot(flow.air_velocity) / flow.air_speed;
    now.q_alpha = flow.dynamic_pressure * std::acos(std::clamp(cosine, -1.0, 1.0)) * 180.0 /
                  std::numbers::pi;
  }
  result_.maxima.merge(now);

  if (plan_.keep_history) {
    result_.history.push_back({t_, x_,
                               orbital_elements(v_.earth.gravitational_parameter, x_.position,
                                                x_.velocity),
                               flow.altitude, flow.dynamic_pressure, flow.mach, T, last_direction_,
                               phase_});
  }
  return flow.altitude;
}

void StagedFlight::after_step() {
  ++result_.steps;
  const double altitude = take_sample();
  const bool finite = x_.position.allFinite() && x_.velocity.allFinite() && std::isfinite(x_.mass);
  if (!finite) return end_flight(Outcome::cannot_reach_orbit, OrbitFailure::not_finite);
  if (altitude < v_.site.altitude - GROUND_MARGIN) {
    return end_flight(Outcome::cannot_reach_orbit, OrbitFailure::fell_to_ground);
  }
  if (!(x_.mass > 0.0)) return end_flight(Outcome::cannot_reach_orbit, OrbitFailure::mass_used_up);

  // Events of the state reached by this step.
  bool fired = false;
  for (Waiter& w : waiters_) {
    if (active(w) && state_trigger(trigger_of(w).kind) && met(trigger_of(w), w.armed, x_)) {
      fire(w);
      fired = true;
    }
  }
  const Trigger& end = phases_[phase_].end;
  if (state_trigger(end.kind) && met(end, phase_armed_, x_)) {
    end_phase();
    fired = true;
  }
  if (fired) {
    next_due_ = -NEVER;  // a firing may make other triggers due now
    fire_due_events();
  }
}

bool StagedFlight::hopeless() const {
  if (!needs_thrust(phases_[phase_].end.kind)) return false;
  for (std::size_t i = 0; i < runs_.size(); ++i) {
    const ElementRun& run = runs_[i];
    const Element& e = v_.elements[i];
    if (run.jettison || !e.propulsive()) continue;
    if (run.burning()) return false;
    if (run.ignitions.size() < e.burns() &&
        e.ignition_of(run.ignitions.size()).kind != Trigger::Kind::never) {
      return false;
    }
  }
  return true;
}

void StagedFlight::end_flight(Outcome outcome, OrbitFailure failure) {
  result_.outcome = outcome;
  result_.failure = failure;
  ended_ = true;
  record_event("end");
}

void StagedFlight::finish() {
  result_.final_state = x_;
  result_.final_time = t_;
  const double mu = v_.earth.gravitational_parameter;
  result_.elements = orbital_elements(mu, x_.position, x_.velocity);
  const double R = v_.earth.equatorial_radius;
  result_.perigee_altitude = result_.elements.perigee_radius() - R;
  result_.apogee_altitude = result_.elements.apogee_radius() - R;
  double left = 0.0;
  bool rubber_tank_short = false;
  for (std::size_t i = 0; i < runs_.size(); ++i) {
    const ElementRun& run = runs_[i];
    if (run.ignitions.empty() || run.jettison) continue;
    const double r = remaining(i, t_);
    left += r;
    // Only a stage that burns to the cutoff can need more than it holds.
    const Trigger& last_shutdown = v_.elements[i].shutdown_of(run.ignitions.size() - 1);
    if (r < 0.0 && last_shutdown.kind == Trigger::Kind::cutoff) rubber_tank_short = true;
  }
  result_.remaining_propellant = left;
  if (result_.outcome != Outcome::in_orbit) return;
  if (rubber_tank_short) {
    result_.outcome = Outcome::short_of_propellant;
  } else if (!(result_.elements.semi_major_axis > 0.0 && result_.elements.eccentricity < 1.0)) {
    result_.outcome = Outcome::cannot_reach_orbit;
    result_.failure = OrbitFailure::escapes;
  } else if (!(result_.perigee_altitude > 0.0 &&
               result_.perigee_altitude >= v_.target.minimum_perigee)) {
    result_.outcome = Outcome::perigee_below_minimum;
  } else if (load_breach(result_.maxima, v_.limits)) {
    result_.outcome = Outcome::over_load_limit;
  }
}

StagedResult StagedFlight::fly() {
  const StagedSite& site = v_.site;
  const double r = v_.earth.equatorial_radius + site.altitude;
  x_.position = r * Vector3{std::cos(site.latitude) * std::cos(site.longitude),
                            std::cos(site.latitude) * std::sin(site.longitude),
                            std::sin(site.latitude)};
  x_.velocity = v_.earth.rotation().cross(x_.position);
  x_.mass = v_.liftoff_mass() + (plan_.payload ? *plan_.payload - v_.payload : 0.0);
  result_.events.push_back({0.0, "ignition", "", x_});
  fire_due_events();
  if (!lift_off()) {
    end_flight(Outcome::cannot_reach_orbit, OrbitFailure::no_liftoff);
  } else {
    start_phase();
    (void)take_sample();  // the history starts at liftoff
    fire_due_events();
  }
  while (!ended_) {
    if (t_ > v_.max_time) {
      end_flight(Outcome::cannot_reach_orbit, OrbitFailure::flight_time_exceeded);
    } else if (hopeless()) {
      end_flight(Outcome::short_of_propellant);
    } else {
      take_step();
      if (!ended_) fire_due_events();
    }
  }
  finish();
  return std::move(result_);
}

}  // namespace

StagedResult fly_staged(const StagedVehicle& vehicle, const StagedPlan& plan) {
  if (const std::optional<StagedFault> fault = staged_vehicle_fault(vehicle)) {
    throw InputError(ErrorCode::range_check, fault->field + ": " + fault->what);
  }
  if (const std::optional<StagedFault> fault = staged_plan_fault(vehicle, plan)) {
    throw InputError(ErrorCode::range_check, fault->field + ": " + fault->what);
  }
  return StagedFlight(vehicle, plan).fly();
}

}  // namespace ascent
