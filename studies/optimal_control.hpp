// An optimal-control problem in phases and its solution by direct
// collocation: the states and controls at the points of every phase are the
// variables of a sparse nonlinear programme, the equations of motion hold at
// the points by Hermite-Simpson defects, and IPOPT solves it.
//
// The problem is generic: a phase gives the rates of its states under its
// controls (the same function over the phase, so constant thrust and mass
// flow within it), bounds, and how its first state follows from the last
// state of the phase before (a mass drop at a staging). The objective and
// the terminal conditions are functions of the final state and time.
#pragma once

#include <functional>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace ascent::studies {

inline constexpr double UNBOUNDED = std::numeric_limits<double>::infinity();

struct Bounds {
  double lower = -UNBOUNDED;
  double upper = UNBOUNDED;
};

/// dx/dt = f(x, u) over a phase.
using Rates =
    std::function<void(std::span<const double> state, std::span<const double> control, std::span<double> rates)>;

/// A state and control at a time: the initial guess of a phase.
using Guess = std::function<void(double time, std::span<double> state, std::span<double> control)>;

/// A function of the final state and time of the last phase.
using Terminal = std::function<double(std::span<const double> state, double time)>;

/// A function of a point's state and control.
using PointFunction = std::function<double(std::span<const double> state, std::span<const double> control)>;

/// A bound that holds at every point of a phase (a dynamic pressure limit).
struct PathConstraint {
  std::string name;
  PointFunction value;
  Bounds bounds;
  double scale = 1.0;  ///< a typical size of the value's unit
};

struct Phase {
  Rates rates;
  int segments = 20;  ///< collocation segments of equal length
  Bounds start_time;  ///< [s]
  Bounds end_time;    ///< [s]
  std::vector<Bounds> state;          ///< each state component over the phase
  std::vector<Bounds> control;        ///< each control component over the phase
  /// Bounds of the first state (equal bounds fix it). Empty for a phase after
  /// the first: its first state is the last one of the phase before plus `jump`.
  std::vector<Bounds> initial_state;
  std::vector<double> jump;  ///< added to the state across the phase's start (a dropped mass)
  bool unit_control = false;  ///< the control is a direction: |u| = 1 at every point
  std::vector<PathConstraint> path;
  Guess guess;
  double guess_start = 0.0;  ///< [s]
  double guess_end = 0.0;    ///< [s]
};

struct TerminalCondition {
  std::string name;
  Terminal value;
  Bounds bounds;
  double scale = 1.0;  ///< a typical size of the allowed miss's unit
};

struct Problem {
  int states = 0;
  int controls = 0;
  std::vector<double> state_scale;  ///< a typical size of each state component
  double time_scale = 1.0;          ///< [s]
  std::vector<Phase> phases;
  Terminal objective;  ///< minimised
  double objective_scale = 1.0;
  std::vector<TerminalCondition> conditions;
};

struct SolveSettings {
  double tolerance = 1e-8;     ///< of the scaled programme's optimality
  int max_iterations = 500;
  double max_seconds = 60.0;   ///< of processor time
  bool exact_hessian = true;   ///< second differences, else IPOPT's quasi-Newton update
  int print_level = 0;         ///< IPOPT's own progress lines on the standard output
  double initial_barrier = 0.1;  ///< IPOPT's mu_init: smaller from a guess near the optimum
  /// Asked after every iteration besides the program's signal note: true
  /// ends the solve as a signal does (Python's own Ctrl-C handling).
  std::function<bool()> stop;
};

enum class SolveStatus {
  solved,
  infeasible,        ///< the conditions cannot be met together
  iteration_limit,   ///< of iterations or time, before convergence
  failed,            ///< the solver stopped on a numerical difficulty
};

struct PhaseSolution {
  std::vector<double> times;     ///< [s] of the points, mesh points and midpoints in turn
  std::vector<double> states;    ///< point after point, `states` values each
  std::vector<double> controls;  ///< point after point, `controls` values each
};

struct Solution {
  SolveStatus status = SolveStatus::failed;
  double objective = 0.0;
  std::vector<PhaseSolution> phases;
  std::vector<double> conditions;  ///< the value of each terminal condition at the end
  /// When the solve fails: the misses of the conditions, outside their
  /// bounds, at the end nearest to meeting them all (the least sum of
  /// squared scaled misses); the largest names what cannot be met.
  std::vector<double> least_misses;
  double defect = 0.0;             ///< the largest scaled violation of the programme's equations
  int iterations = 0;
  double solve_seconds = 0.0;      ///< processor time in the solver
};

/// A phase's guess from a solution of it: states and controls interpolated
/// linearly in time between its points (a coarser mesh's answer).
[[nodiscard]] Guess guess_from(const PhaseSolution& phase, int states, int controls);

/// Solves the problem from the phases' guesses. Throws std::invalid_argument
/// for a problem whose sizes do not agree, Interrupted when a signal asks the
/// program to end during the solve (or `stop` says so: Interrupted(SIGINT)).
[[nodiscard]] Solution solve(const Problem& problem, const SolveSettings& settings = {});

/// "solved", "infeasible", ...
[[nodiscard]] std::string status_name(SolveStatus status);

}  // namespace ascent::studies
