#include "studies/staged_optimum.hpp"

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "base/runtime_error.hpp"
#include "studies/flight_runner.hpp"
#include "studies/optimal_flight.hpp"

namespace ascent::studies {

StagedOptimum optimize_staged(const StagedVehicle& vehicle, const SolveSettings& settings, const AscentMesh& mesh) {
  StagedOptimum result;
  try {
    result.problem = ascent_problem(vehicle, mesh);
    result.optimum = optimize_ascent(result.problem, settings);
  } catch (const std::invalid_argument& refused) {
    throw InputError(ErrorCode::range_check, refused.what());
  }
  if (result.optimum.solution.status != SolveStatus::solved) return result;
  result.flown = fly_optimum(vehicle, result.optimum);
  result.flown_elements = target_misses(result.problem, result.flown->final_state);
  return result;
}

namespace {

struct ShownUnit {
  double factor;
  int decimals;
  const char* unit;
};

ShownUnit element_unit(const std::string& element) {
  if (element == "semi-major axis" || element == "radius") return {1e-3, 3, "km"};
  if (element == "eccentricity") return {1.0, 6, ""};
  if (element == "radial velocity" || element == "speed") return {1.0, 3, "m/s"};
  return {180.0 / std::numbers::pi, 4, "deg"};
}

ShownUnit limit_unit(const std::string& limit) {
  if (limit == "dynamic pressure") return {1.0, 2, "Pa"};
  if (limit == "q alpha") return {180.0 / std::numbers::pi, 2, "Pa*deg"};
  return {1.0, 2, "m/s^2"};
}

std::string number(double value, int decimals) { return typed_number(value, decimals).text; }

std::string shown(double value, const ShownUnit& unit) { return number(value * unit.factor, unit.decimals); }

void add_misses(std::vector<ResultLine>& lines, const std::string& prefix, const std::vector<ElementMiss>& elements) {
  for (const ElementMiss& element : elements) {
    const ShownUnit unit = element_unit(element.name);
    lines.push_back({prefix + element.name, shown(element.value, unit), unit.unit});
    lines.push_back({prefix + element.name + " miss", shown(element.miss, unit), unit.unit});
  }
}

}  // namespace

std::vector<SteeringPoint> steering_history(const StagedOptimum& result) {
  std::vector<SteeringPoint> points;
  const std::vector<PhaseSolution>& phases = result.optimum.solution.phases;
  for (std::size_t p = 0; p < phases.size(); ++p) {
    const PhaseSolution& phase = phases[p];
    for (std::size_t j = 0; j < phase.times.size(); ++j) {
      const double* x = &phase.states[ASCENT_STATES * j];
      const double* u = &phase.controls[3 * j];
      const Vector3 position(x[0], x[1], x[2]);
      const Vector3 direction = Vector3(u[0], u[1], u[2]).normalized();
      points.push_back({phase.times[j], p, direction, std::asin(direction.dot(position.normalized())),
                        position.norm() - result.problem.earth.equatorial_radius, Vector3(x[3], x[4], x[5]).norm(),
                        x[6]});
    }
  }
  return points;
}

std::vector<ResultLine> result_lines(const StagedOptimum& result) {
  const AscentOptimum& optimum = result.optimum;
  if (optimum.solution.status != SolveStatus::solved) return {};
  std::vector<ResultLine> lines{{"final mass", number(optimum.final_mass, 3), "kg"},
                                {"final time", number(optimum.final_time, 3), "s"}};
  for (std::size_t p = 0; p < optimum.phase_ends.size(); ++p)
    lines.push_back({"end of " + result.problem.phases[p].name, number(optimum.phase_ends[p], 3), "s"});
  add_misses(lines, "", optimum.elements);
  for (const PathPeak& peak : optimum.limits) {
    const ShownUnit unit = limit_unit(peak.name);
    lines.push_back({"maximum " + peak.name, shown(peak.largest, unit),
                     std::string(unit.unit) + " at " + number(peak.time, 2) + " s"});
    lines.push_back(
        {peak.name + " limit", shown(peak.limit, unit), std::string(unit.unit) + (peak.active ? ", active" : "")});
  }
  lines.push_back({"solver iterations", std::to_string(optimum.solution.iterations), ""});
  lines.push_back({"solver time", number(optimum.solution.solve_seconds, 3), "s"});
  if (result.flown) {
    lines.push_back({"flown final mass", number(result.flown->final_state.mass, 3), "kg"});
    add_misses(lines, "flown ", result.flown_elements);
  }
  return lines;
}

std::string failure_text(const StagedOptimum& result) {
  const AscentOptimum& optimum = result.optimum;
  std::string text = "No steering reaches the orbit (" + status_name(optimum.solution.status) + ", " +
                     std::to_string(optimum.solution.iterations) + " iterations)";
  if (optimum.unmet) {
    const ShownUnit unit = element_unit(optimum.unmet->name);
    text += ": the " + optimum.unmet->name + " is missed by at least " + shown(optimum.unmet->miss, unit) +
            (*unit.unit ? " " : "") + unit.unit;
  } else if (!optimum.limits.empty()) {
    // The orbit alone is within reach: the limits are what cannot be kept with it.
    text += ": the orbit with the limits of";
    for (std::size_t l = 0; l < optimum.limits.size(); ++l)
      text += (l == 0 ? " " : l + 1 == optimum.limits.size() ? " and " : ", ") + optimum.limits[l].name;
  }
  return text + ".";
}

}  // namespace ascent::studies
