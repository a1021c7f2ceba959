#include "trim/optimal_ascent_report.hpp"

#include <cmath>
#include <numbers>
#include <string>

namespace ascent::trim {

namespace {

constexpr double DEG = 180.0 / std::numbers::pi;

std::string number(double value, int decimals) { return studies::typed_number(value, decimals).text; }

}  // namespace

void write_steering_history(std::ostream& out, const studies::StagedOptimum& result) {
  out << "time_s,phase,direction_x,direction_y,direction_z,pitch_deg,altitude_m,speed_m_s,mass_kg\n";
  for (const studies::SteeringPoint& point : studies::steering_history(result)) {
    const Vector3& u = point.direction;
    out << number(point.time, 3) << ',' << csv_field(result.problem.phases[point.phase].name) << ','
        << number(u.x(), 6) << ',' << number(u.y(), 6) << ',' << number(u.z(), 6) << ','
        << number(point.pitch * DEG, 4) << ',' << number(point.altitude, 1) << ',' << number(point.speed, 3)
        << ',' << number(point.mass, 3) << '\n';
  }
}

void write_optimal_ascent_report(std::ostream& out, const studies::StagedOptimum& result, Format format) {
  const bool solved = result.optimum.solution.status == studies::SolveStatus::solved;
  if (format == Format::csv) {
    if (solved) write_steering_history(out, result);
    return;
  }
  if (!solved) {
    out << studies::failure_text(result) << "\n";
    return;
  }
  out << "Optimal ascent (Hermite-Simpson collocation, IPOPT)\n";
  for (const studies::ResultLine& line : studies::result_lines(result)) write_report_line(out, line.name, line.value, line.unit);
}

}  // namespace ascent::trim
