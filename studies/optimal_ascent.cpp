#include "studies/optimal_ascent.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <stdexcept>

#include "dynamics/launch_azimuth.hpp"
#include "dynamics/orbital_elements.hpp"

namespace ascent::studies {
namespace {

constexpr double TWO_PI = 2.0 * std::numbers::pi;

// A limit within this fraction of the largest value holds the optimum.
constexpr double ACTIVE_LIMIT = 1e-4;

// A least miss of the coarse mesh, in its element's scale, that no finer
// mesh closes (the discretisation moves the optimum by far less).
constexpr double UNREACHABLE = 1e-2;

// Segments of each phase in the first solve from the rough guess.
constexpr int COARSE_SEGMENTS = 4;

PointMassState point_mass(std::span<const double> state) {
  return {{state[0], state[1], state[2]}, {state[3], state[4], state[5]}, state[6]};
}

void put(const PointMassState& s, std::span<double> state) {
  for (int i = 0; i < 3; ++i) {
    state[static_cast<std::size_t>(i)] = s.position[i];
    state[static_cast<std::size_t>(i + 3)] = s.velocity[i];
  }
  state[6] = s.mass;
}

/// Where the ascent ends: the osculating orbit and the state.
struct Reached {
  OrbitalElements orbit;
  Vector3 position;  // [m]
  Vector3 velocity;  // [m/s]
};

Reached reached(double mu, std::span<const double> state) {
  const PointMassState s = point_mass(state);
  return {orbital_elements(mu, s.position, s.velocity), s.position, s.velocity};
}

/// One condition on the orbit reached and its name, target and scale.
struct Element {
  const char* name;
  std::optional<double> target;
  double scale;  // a typical size of the element's unit
  bool angle;
  double (*of)(const Reached&);
};

std::vector<Element> elements_of(const TargetOrbit& target, double mu) {
  const std::optional<double> circular_speed =
      target.circular_radius ? std::optional<double>(std::sqrt(mu / *target.circular_radius)) : std::nullopt;
  const std::optional<double> level = target.circular_radius ? std::optional<double>(0.0) : std::nullopt;
  return {
      {"semi-major axis", target.semi_major_axis, 1e6, false,
       [](const Reached& r) { return r.orbit.semi_major_axis; }},
      {"eccentricity", target.eccentricity, 0.1, false, [](const Reached& r) { return r.orbit.eccentricity; }},
      {"radius", target.circular_radius, 1e6, false, [](const Reached& r) { return r.position.norm(); }},
      {"radial velocity", level, 1e3, false,
       [](const Reached& r) { return r.velocity.dot(r.position.normalized()); }},
      {"speed", circular_speed, 1e3, false, [](const Reached& r) { return r.velocity.norm(); }},
      {"inclination", target.inclination, 0.1, true, [](const Reached& r) { return r.orbit.inclination; }},
      {"ascending node", target.ascending_node, 0.1, true,
       [](const Reached& r) { return r.orbit.ascending_node; }},
      {"argument of perigee", target.argument_of_perigee, 0.1, true,
       [](const Reached& r) { return r.orbit.argument_of_perigee; }},
  };
}

// Value less target; an angle's difference wrapped to (-pi, pi].
double difference(const Element& element, double value) {
  const double d = value - *element.target;
  return element.angle ? std::remainder(d, TWO_PI) : d;
}

/// A limited quantity at a point of a phase, its name and the limit asked.
struct Limit {
  const char* name;
  double limit;
  double (*of)(const AscentProblem&, const BurnPhase&, const PointMassState&, const Vector3& direction);
};

double dynamic_pressure(const AscentProblem& a, const BurnPhase&, const PointMassState& s, const Vector3&) {
  return airflow(a.earth, a.air, s.position, s.velocity).dynamic_pressure;
}

// q alpha, with the angle between the thrust and the air-relative velocity.
double q_alpha(const AscentProblem& a, const BurnPhase&, const PointMassState& s, const Vector3& direction) {
  const Airflow flow = airflow(a.earth, a.air, s.position, s.velocity);
  if (!(flow.air_speed > 0.0)) return 0.0;
  const Vector3 along = flow.air_velocity / flow.air_speed;
  return flow.dynamic_pressure * std::atan2(direction.cross(along).norm(), direction.dot(along));
}

// As the flight's loads count it: the effective thrust over the mass.
double axial_acceleration(const AscentProblem& a, const BurnPhase& burn, const PointMassState& s,
                          const Vector3& direction) {
  const Airflow flow = airflow(a.earth, a.air, s.position, s.velocity);
  return effective_thrust({direction, burn.vacuum_thrust, burn.mass_flow, burn.exit_area}, flow.air.pressure) /
         s.mass;
}

std::vector<Limit> limits_of(const PathLimits& limits) {
  std::vector<Limit> asked;
  if (limits.dynamic_pressure) asked.push_back({"dynamic pressure", *limits.dynamic_pressure, dynamic_pressure});
  if (limits.q_alpha) asked.push_back({"q alpha", *limits.q_alpha, q_alpha});
  if (limits.axial_acceleration)
    asked.push_back({"axial acceleration", *limits.axial_acceleration, axial_acceleration});
  return asked;
}

void check(const AscentProblem& ascent) {
  if (ascent.phases.empty()) throw std::invalid_argument("optimal ascent: no burn phase");
  if (!(ascent.liftoff_mass > 0.0)) throw std::invalid_argument("optimal ascent: the liftoff mass is not positive");
  double mass = ascent.liftoff_mass;
  for (const BurnPhase& phase : ascent.phases) {
    if (!(phase.vacuum_thrust > 0.0) || !(phase.mass_flow > 0.0) || !(phase.duration > 0.0) || phase.segments < 1)
      throw std::invalid_argument("optimal ascent: phase \"" + phase.name + "\" has no thrust, flow or duration");
    mass -= phase.dropped_mass + phase.mass_flow * phase.duration;
    if (!(mass > 0.0)) throw std::invalid_argument("optimal ascent: phase \"" + phase.name + "\" ends with no mass");
  }
  for (const Limit& limit : limits_of(ascent.limits))
    if (!(limit.limit > 0.0))
      throw std::invalid_argument(std::string("optimal ascent: the ") + limit.name + " limit is not positive");
  const TargetOrbit& t = ascent.target;
  if (t.circular_radius && (t.semi_major_axis || t.eccentricity || t.argument_of_perigee))
    throw std::invalid_argument("optimal ascent: a circular target has no semi-major axis, eccentricity or perigee");
  if (t.circular_radius && !(*t.circular_radius > ascent.earth.equatorial_radius))
    throw std::invalid_argument("optimal ascent: the circular orbit's radius is not above the Earth's");
  const auto elements = elements_of(t, ascent.earth.gravitational_parameter);
  if (std::none_of(elements.begin(), elements.end(), [](const Element& e) { return e.target.has_value(); }))
    throw std::invalid_argument("optimal ascent: no element of the target orbit");
}

PointMassState launch_state(const AscentProblem& ascent) {
  const double radius = ascent.earth.equatorial_radius + ascent.altitude;
  const Vector3 position = radius * Vector3(std::cos(ascent.latitude) * std::cos(ascent.longitude),
                                            std::cos(ascent.latitude) * std::sin(ascent.longitude),
                                            std::sin(ascent.latitude));
  return {position, ascent.earth.rotation().cross(position), ascent.liftoff_mass};
}

// The first guess: a flight of the vehicle by a plain pitch programme in the
// plane of the launch azimuth: vertical for the first seconds, then the pitch
// falling steadily to the horizontal at the end of the next to last phase,
// horizontal after it. Its states obey the equations of motion from the
// start, so only the orbit is left to find.
constexpr double VERTICAL_RISE = 10.0;  // [s]
constexpr double GUESS_STEP = 0.5;      // [s] of the guessing flight

Vector3 guess_direction(double azimuth, double pitch_end, const Vector3& position, double time) {
  const Vector3 up = position.normalized();
  const Vector3 east = Vector3::UnitZ().cross(up).normalized();
  const Vector3 north = up.cross(east);
  const double fraction = std::clamp((time - VERTICAL_RISE) / (pitch_end - VERTICAL_RISE), 0.0, 1.0);
  const double pitch = (1.0 - fraction) * std::numbers::pi / 2.0;
  return std::sin(pitch) * up + std::cos(pitch) * (std::sin(azimuth) * east + std::cos(azimuth) * north);
}

struct GuessFlight {
  std::vector<double> times;
  std::vector<PointMassState> states;
  std::vector<Vector3> directions;
};

GuessFlight fly_guess(const AscentProblem& ascent, const PointMassState& start) {
  const double orbital_speed =
      std::sqrt(ascent.earth.gravitational_parameter / (ascent.earth.equatorial_radius + 200e3));
  const double azimuth =
      ascent.azimuth           ? *ascent.azimuth
      : ascent.target.inclination ? launch_azimuth(ascent.earth, ascent.latitude, *ascent.target.inclination,
                                                  orbital_speed)
                                       .value_or(std::numbers::pi / 2.0)
                                  : std::numbers::pi / 2.0;
  double pitch_end = 0.0;
  for (std::size_t p = 0; p + 1 < ascent.phases.size(); ++p) pitch_end += ascent.phases[p].duration;
  pitch_end = std::max(pitch_end, 2.0 * VERTICAL_RISE);
  GuessFlight flight;
  PointMassState state = start;
  double time = 0.0;
  for (const BurnPhase& burn : ascent.phases) {
    state.mass -= burn.dropped_mass;
    const int steps = std::max(1, static_cast<int>(std::ceil(burn.duration / GUESS_STEP)));
    const double dt = burn.duration / steps;
    const auto rates = [&](double t, const PointMassState& trial) {
      const ThrustSetting thrust{guess_direction(azimuth, pitch_end, trial.position, t),
                                 burn.vacuum_thrust, burn.mass_flow, burn.exit_area};
      return point_mass_rates(trial, ascent.earth, ascent.air, thrust, burn.drag);
    };
    for (int k = 0; k <= steps; ++k) {
      flight.times.push_back(time + k * dt);
      flight.states.push_back(state);
      flight.directions.push_back(guess_direction(azimuth, pitch_end, state.position, time + k * dt));
      if (k < steps) state = rk4_step(state, time + k * dt, dt, rates);
    }
    time += burn.duration;
  }
  return flight;
}

}  // namespace

Problem ascent_collocation(const AscentProblem& ascent) {
  check(ascent);
  const EarthModel& earth = ascent.earth;
  const double radius = earth.equatorial_radius;
  const double speed = std::sqrt(earth.gravitational_parameter / radius);
  Problem problem;
  problem.states = ASCENT_STATES;
  problem.controls = 3;
  problem.state_scale = {radius, radius, radius, speed, speed, speed, ascent.liftoff_mass};
  problem.time_scale = 100.0;

  const PointMassState start = launch_state(ascent);
  const auto guess = std::make_shared<const GuessFlight>(fly_guess(ascent, start));

  double phase_start = 0.0;
  for (std::size_t p = 0; p < ascent.phases.size(); ++p) {
    const BurnPhase& burn = ascent.phases[p];
    const bool last = p + 1 == ascent.phases.size();
    Phase phase;
    phase.rates = [earth, air = ascent.air, burn](std::span<const double> state, std::span<const double> control,
                                                  std::span<double> rates) {
      const ThrustSetting thrust{{control[0], control[1], control[2]}, burn.vacuum_thrust, burn.mass_flow,
                                 burn.exit_area};
      put(point_mass_rates(point_mass(state), earth, air, thrust, burn.drag), rates);
    };
    phase.segments = burn.segments;
    const double phase_end = phase_start + burn.duration;
    phase.start_time = {phase_start, phase_start};
    phase.end_time = last ? Bounds{phase_start, phase_end} : Bounds{phase_end, phase_end};
    phase.state.assign(ASCENT_STATES, Bounds{});
    phase.state[6] = {1e-3 * ascent.liftoff_mass, ascent.liftoff_mass};
    phase.control.assign(3, Bounds{});
    if (p == 0) {
      std::vector<double> fixed(ASCENT_STATES);
      put(start, fixed);
      for (const double value : fixed) phase.initial_state.push_back({value, value});
    } else {
      phase.jump.assign(ASCENT_STATES, 0.0);
      phase.jump[6] = -burn.dropped_mass;
    }
    phase.unit_control = true;
    for (const Limit& limit : limits_of(ascent.limits)) {
      // q alpha bounded as its square, smooth where the angle is zero.
      const bool squared = limit.of == q_alpha;
      phase.path.push_back(
          {limit.name,
           [ascent, burn, of = limit.of, squared](std::span<const double> state, std::span<const double> control) {
             const double value = of(ascent, burn, point_mass(state), {control[0], control[1], control[2]});
             return squared ? value * value : value;
           },
           {-UNBOUNDED, squared ? limit.limit * limit.limit : limit.limit},
           squared ? limit.limit * limit.limit : limit.limit});
    }
    phase.guess = [guess, phase_start](double time, std::span<double> state, std::span<double> control) {
      // The guessing flight's record of this phase: past the phase's first
      // entry (the record repeats a staging time, before and after the drop).
      const auto first = std::lower_bound(guess->times.begin(), guess->times.end(), phase_start) + 1;
      const auto after = std::upper_bound(first, guess->times.end() - 1, time);
      const auto j = static_cast<std::size_t>(after - guess->times.begin()) - 1;
      const double f = std::clamp((time - guess->times[j]) / (guess->times[j + 1] - guess->times[j]), 0.0, 1.0);
      const PointMassState& a = guess->states[j];
      const PointMassState& b = guess->states[j + 1];
      put((1.0 - f) * a + f * b, state);
      const Vector3 direction = ((1.0 - f) * guess->directions[j] + f * guess->directions[j + 1]).normalized();
      for (int i = 0; i < 3; ++i) control[static_cast<std::size_t>(i)] = direction[i];
    };
    phase.guess_start = phase_start;
    phase.guess_end = phase_end;
    problem.phases.push_back(std::move(phase));
    phase_start = phase_end;
  }

  problem.objective = [](std::span<const double> state, double) { return -state[6]; };
  problem.objective_scale = 0.01 * ascent.liftoff_mass;
  const double mu = earth.gravitational_parameter;
  for (const Element& element : elements_of(ascent.target, mu)) {
    if (!element.target) continue;
    problem.conditions.push_back(
        {element.name,
         [element, mu](std::span<const double> state, double) {
           return difference(element, element.of(reached(mu, state)));
         },
         {0.0, 0.0},
         element.scale});
  }
  return problem;
}

AscentOptimum optimize_ascent(const AscentProblem& ascent, const SolveSettings& settings) {
  // First on a coarse mesh from the rough guess without the path limits,
  // then on the asked mesh from the coarse answer.
  AscentProblem coarse_ascent = ascent;
  for (BurnPhase& phase : coarse_ascent.phases) phase.segments = std::min(phase.segments, COARSE_SEGMENTS);
  coarse_ascent.limits = {};
  const Problem coarse_problem = ascent_collocation(coarse_ascent);
  const Solution coarse = solve(coarse_problem, settings);
  Problem problem = ascent_collocation(ascent);
  SolveSettings refine = settings;
  // An orbit the coarse mesh misses by far is out of reach on any mesh.
  bool unreachable = false;
  for (std::size_t c = 0; c < coarse.least_misses.size(); ++c)
    unreachable = unreachable || std::abs(coarse.least_misses[c]) > UNREACHABLE * problem.conditions[c].scale;
  if (coarse.status == SolveStatus::solved) {
    for (std::size_t p = 0; p < problem.phases.size(); ++p) {
      problem.phases[p].guess = guess_from(coarse.phases[p], problem.states, problem.controls);
      problem.phases[p].guess_end = coarse.phases[p].times.back();
    }
    refine.initial_barrier = 1e-4;
  }
  AscentOptimum optimum;
  optimum.solution = unreachable ? coarse : solve(problem, refine);
  if (!unreachable) {
    optimum.solution.iterations += coarse.iterations;
    optimum.solution.solve_seconds += coarse.solve_seconds;
  }
  const Solution& solution = optimum.solution;
  const PhaseSolution& last = solution.phases.back();
  optimum.final_mass = last.states.back();
  optimum.final_time = last.times.back();
  for (const PhaseSolution& phase : solution.phases) optimum.phase_ends.push_back(phase.times.back());
  const double mu = ascent.earth.gravitational_parameter;
  const Reached end = reached(mu, {last.states.end() - ASCENT_STATES, last.states.end()});
  for (const Limit& limit : limits_of(ascent.limits)) {
    PathPeak peak{limit.name, -UNBOUNDED, 0.0, limit.limit, false};
    for (std::size_t p = 0; p < solution.phases.size(); ++p) {
      const PhaseSolution& phase = solution.phases[p];
      for (std::size_t j = 0; j < phase.times.size(); ++j) {
        const double* u = &phase.controls[3 * j];
        const double value = limit.of(ascent, ascent.phases[p],
                                      point_mass({&phase.states[ASCENT_STATES * j], ASCENT_STATES}),
                                      {u[0], u[1], u[2]});
        if (value > peak.largest) {
          peak.largest = value;
          peak.time = phase.times[j];
        }
      }
    }
    peak.active = peak.largest > (1.0 - ACTIVE_LIMIT) * limit.limit;
    optimum.limits.push_back(peak);
  }
  double largest = 0.0;
  std::size_t condition = 0;
  for (const Element& element : elements_of(ascent.target, mu)) {
    if (!element.target) continue;
    const double value = element.of(end);
    optimum.elements.push_back({element.name, value, *element.target, difference(element, value)});
    if (!solution.least_misses.empty()) {
      const double miss = solution.least_misses[condition];
      if (std::abs(miss) / element.scale > largest) {
        largest = std::abs(miss) / element.scale;
        optimum.unmet = ElementMiss{element.name, *element.target + miss, *element.target, miss};
      }
    }
    ++condition;
  }
  return optimum;
}

}  // namespace ascent::studies
