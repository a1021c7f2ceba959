#include "studies/optimal_control.hpp"

#include <IpIpoptApplication.hpp>
#include <IpSolveStatistics.hpp>

#include <algorithm>
#include <csignal>
#include <stdexcept>

#include "base/interruption.hpp"
#include "studies/collocation_nlp.hpp"

namespace ascent::studies {
namespace {

void check_sizes(const Problem& problem) {
  const auto states = static_cast<std::size_t>(problem.states);
  const auto controls = static_cast<std::size_t>(problem.controls);
  if (problem.states < 1 || problem.controls < 0 || problem.phases.empty() || !problem.objective ||
      problem.state_scale.size() != states)
    throw std::invalid_argument("optimal control: no states, no phase, no objective or a scale missing");
  for (std::size_t p = 0; p < problem.phases.size(); ++p) {
    const Phase& phase = problem.phases[p];
    const bool first = p == 0;
    if (phase.segments < 1 || !phase.rates || !phase.guess || phase.state.size() != states ||
        phase.control.size() != controls || (first && phase.initial_state.size() != states) ||
        (!first && !phase.initial_state.empty()) || (!phase.jump.empty() && phase.jump.size() != states))
      throw std::invalid_argument("optimal control: phase " + std::to_string(p + 1) + " is incomplete");
  }
}

SolveStatus status_of(Ipopt::ApplicationReturnStatus status) {
  switch (status) {
    case Ipopt::Solve_Succeeded:
    case Ipopt::Solved_To_Acceptable_Level:
      return SolveStatus::solved;
    case Ipopt::Infeasible_Problem_Detected:
      return SolveStatus::infeasible;
    case Ipopt::Maximum_Iterations_Exceeded:
    case Ipopt::Maximum_CpuTime_Exceeded:
      return SolveStatus::iteration_limit;
    default:
      return SolveStatus::failed;
  }
}

double miss(double value, const Bounds& bounds) {
  return value < bounds.lower ? value - bounds.lower : value > bounds.upper ? value - bounds.upper : 0.0;
}

// The same problem with the terminal conditions as the objective: the least
// sum of their squared scaled misses, over the same phases.
Problem nearest_to_conditions(const Problem& problem) {
  Problem nearest = problem;
  nearest.conditions.clear();
  nearest.objective = [conditions = problem.conditions](std::span<const double> state, double time) {
    double sum = 0.0;
    for (const TerminalCondition& condition : conditions) {
      const double scaled = miss(condition.value(state, time), condition.bounds) / condition.scale;
      sum += scaled * scaled;
    }
    return sum;
  };
  nearest.objective_scale = 1.0;
  return nearest;
}

Solution solve_once(const Problem& problem, const SolveSettings& settings) {
  Solution solution;
  Ipopt::SmartPtr<CollocationProgramme> programme = new CollocationProgramme(problem, solution, settings.stop);
  Ipopt::SmartPtr<Ipopt::IpoptApplication> application = IpoptApplicationFactory();
  Ipopt::OptionsList& options = *application->Options();
  options.SetIntegerValue("print_level", settings.print_level);
  options.SetStringValue("sb", "yes");  // no banner
  options.SetNumericValue("tol", settings.tolerance);
  options.SetIntegerValue("max_iter", settings.max_iterations);
  options.SetNumericValue("max_cpu_time", settings.max_seconds);
  options.SetStringValue("mu_strategy", "adaptive");
  options.SetNumericValue("mu_init", settings.initial_barrier);
  options.SetStringValue("hessian_approximation", settings.exact_hessian ? "exact" : "limited-memory");
  if (application->Initialize() != Ipopt::Solve_Succeeded)
    throw std::runtime_error("optimal control: IPOPT did not start");
  const Ipopt::ApplicationReturnStatus status = application->OptimizeTNLP(programme);
  if (programme->failure()) std::rethrow_exception(programme->failure());
  if (status == Ipopt::User_Requested_Stop) {
    check_interruption();
    throw Interrupted(SIGINT);  // the caller's stop
  }
  solution.status = status_of(status);
  if (Ipopt::SmartPtr<Ipopt::SolveStatistics> statistics = application->Statistics(); Ipopt::IsValid(statistics)) {
    solution.iterations = statistics->IterationCount();
    solution.solve_seconds = statistics->TotalCPUTime();
  }
  return solution;
}

}  // namespace

Solution solve(const Problem& problem, const SolveSettings& settings) {
  check_sizes(problem);
  Solution solution = solve_once(problem, settings);
  if (solution.status == SolveStatus::solved || problem.conditions.empty()) return solution;
  const Solution nearest = solve_once(nearest_to_conditions(problem), settings);
  if (nearest.status != SolveStatus::solved) return solution;
  const PhaseSolution& last = nearest.phases.back();
  const auto states = static_cast<std::ptrdiff_t>(problem.states);
  const std::vector<double> final_state(last.states.end() - states, last.states.end());
  for (const TerminalCondition& condition : problem.conditions)
    solution.least_misses.push_back(miss(condition.value(final_state, last.times.back()), condition.bounds));
  return solution;
}

Guess guess_from(const PhaseSolution& phase, int states, int controls) {
  return [phase, states, controls](double time, std::span<double> state, std::span<double> control) {
    const std::vector<double>& times = phase.times;
    const auto after = std::upper_bound(times.begin() + 1, times.end() - 1, time);
    const auto j = static_cast<std::size_t>(after - times.begin()) - 1;
    const double f = std::clamp((time - times[j]) / (times[j + 1] - times[j]), 0.0, 1.0);
    const auto blend = [f, j](const std::vector<double>& values, std::span<double> out) {
      const std::size_t n = out.size();
      for (std::size_t i = 0; i < n; ++i) out[i] = (1.0 - f) * values[j * n + i] + f * values[(j + 1) * n + i];
    };
    blend(phase.states, state.first(static_cast<std::size_t>(states)));
    blend(phase.controls, control.first(static_cast<std::size_t>(controls)));
  };
}

std::string status_name(SolveStatus status) {
  switch (status) {
    case SolveStatus::solved:
      return "solved";
    case SolveStatus::infeasible:
      return "infeasible";
    case SolveStatus::iteration_limit:
      return "iteration limit";
    case SolveStatus::failed:
      return "failed";
  }
  return "failed";
}

}  // namespace ascent::studies
