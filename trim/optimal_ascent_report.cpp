#include "trim/optimal_ascent_report.hpp"

#include <cmath>
#include <numbers>
#include <string>

namespace ascent::trim {

using studies::typed_number;

namespace {

using studies::AscentOptimum;
using studies::AscentProblem;
using studies::ElementMiss;

constexpr double DEG = 180.0 / std::numbers::pi;

std::string number(double value, int decimals) { return typed_number(value, decimals).text; }

/// An element in its report unit: km for the semi-major axis, degrees for angles.
struct Shown {
  double value;
  double miss;
  int decimals;
  const char* unit;
};

Shown shown(const ElementMiss& e) {
  if (e.name == "semi-major axis") return {e.value / 1000.0, e.miss / 1000.0, 3, "km"};
  if (e.name == "eccentricity") return {e.value, e.miss, 6, ""};
  return {e.value * DEG, e.miss * DEG, 4, "deg"};
}

/// A path limit in its report unit: q alpha in Pa*deg as the flight's loads.
double limit_shown(const studies::PathPeak& peak, double value) {
  return peak.name == "q alpha" ? value * DEG : value;
}

const char* limit_unit(const studies::PathPeak& peak) {
  if (peak.name == "dynamic pressure") return "Pa";
  if (peak.name == "q alpha") return "Pa*deg";
  return "m/s^2";
}

}  // namespace

void write_steering_history(std::ostream& out, const AscentProblem& problem, const AscentOptimum& optimum) {
  out << "time_s,phase,direction_x,direction_y,direction_z,pitch_deg,altitude_m,speed_m_s,mass_kg\n";
  for (std::size_t p = 0; p < optimum.solution.phases.size(); ++p) {
    const studies::PhaseSolution& phase = optimum.solution.phases[p];
    for (std::size_t j = 0; j < phase.times.size(); ++j) {
      const double* x = &phase.states[studies::ASCENT_STATES * j];
      const double* u = &phase.controls[3 * j];
      const Vector3 position(x[0], x[1], x[2]);
      const Vector3 direction = Vector3(u[0], u[1], u[2]).normalized();
      const double pitch = std::asin(direction.dot(position.normalized()));
      out << number(phase.times[j], 3) << ',' << csv_field(problem.phases[p].name) << ','
          << number(direction.x(), 6) << ',' << number(direction.y(), 6) << ',' << number(direction.z(), 6)
          << ',' << number(pitch * DEG, 4) << ','
          << number(position.norm() - problem.earth.equatorial_radius, 1) << ','
          << number(Vector3(x[3], x[4], x[5]).norm(), 3) << ',' << number(x[6], 3) << '\n';
    }
  }
}

void write_optimal_ascent_report(std::ostream& out, const AscentProblem& problem, const AscentOptimum& optimum,
                                 Format format) {
  if (format == Format::csv) {
    if (optimum.solution.status == studies::SolveStatus::solved)
      write_steering_history(out, problem, optimum);
    return;
  }
  if (optimum.solution.status != studies::SolveStatus::solved) {
    out << "No steering reaches the orbit (" << studies::status_name(optimum.solution.status)
        << ", " << optimum.solution.iterations << " iterations)";
    if (optimum.unmet) {
      const Shown least = shown(*optimum.unmet);
      out << ": the " << optimum.unmet->name << " is missed by at least " << number(least.miss, least.decimals)
          << (*least.unit ? " " : "") << least.unit;
    }
    out << ".\n";
    return;
  }
  out << "Optimal ascent (Hermite-Simpson collocation, IPOPT)\n";
  write_report_line(out, "final mass", number(optimum.final_mass, 3), "kg");
  write_report_line(out, "final time", number(optimum.final_time, 3), "s");
  for (std::size_t p = 0; p < optimum.phase_ends.size(); ++p)
    write_report_line(out, "end of " + problem.phases[p].name, number(optimum.phase_ends[p], 3), "s");
  for (const ElementMiss& element : optimum.elements) {
    const Shown value = shown(element);
    write_report_line(out, element.name, number(value.value, value.decimals), value.unit);
    write_report_line(out, element.name + " miss", number(value.miss, value.decimals), value.unit);
  }
  for (const studies::PathPeak& peak : optimum.limits) {
    write_report_line(out, "maximum " + peak.name, number(limit_shown(peak, peak.largest), 2),
                      std::string(limit_unit(peak)) + " at " + number(peak.time, 2) + " s");
    write_report_line(out, peak.name + " limit", number(limit_shown(peak, peak.limit), 2),
                      std::string(limit_unit(peak)) + (peak.active ? ", active" : ""));
  }
  write_report_line(out, "solver iterations", std::to_string(optimum.solution.iterations), "");
  write_report_line(out, "solver time", number(optimum.solution.solve_seconds, 3), "s");
}

}  // namespace ascent::trim
