// The optimal ascent of a staged vehicle, as ascent-trim optimize --vehicle
// finds it: solved with the GIL released, Ctrl-C ending the solve after its
// iteration (KeyboardInterrupt).
#include <pybind11/stl.h>

#include <csignal>
#include <optional>

#include "base/interruption.hpp"
#include "bindings.hpp"
#include "mission/load_limits.hpp"
#include "python_signals.hpp"
#include "staged_flight_result.hpp"
#include "studies/staged_optimum.hpp"

namespace py = pybind11;

namespace ascent::python {

namespace {

py::object steering_frame(const studies::StagedOptimum& result) {
  const std::vector<studies::SteeringPoint> points = studies::steering_history(result);
  const auto count = static_cast<py::ssize_t>(points.size());
  py::array_t<double> t(count), x(count), y(count), z(count), pitch(count), altitude(count), speed(count),
      mass(count);
  py::list phase;
  for (py::ssize_t i = 0; i < count; ++i) {
    const studies::SteeringPoint& p = points[static_cast<std::size_t>(i)];
    t.mutable_at(i) = p.time;
    phase.append(py::str(result.problem.phases[p.phase].name));
    x.mutable_at(i) = p.direction.x();
    y.mutable_at(i) = p.direction.y();
    z.mutable_at(i) = p.direction.z();
    pitch.mutable_at(i) = p.pitch * DEGREES;
    altitude.mutable_at(i) = p.altitude;
    speed.mutable_at(i) = p.speed;
    mass.mutable_at(i) = p.mass;
  }
  py::dict columns;
  columns["time_s"] = t;
  columns["phase"] = phase;
  columns["direction_x"] = x;
  columns["direction_y"] = y;
  columns["direction_z"] = z;
  columns["pitch_deg"] = pitch;
  columns["altitude_m"] = altitude;
  columns["speed_m_s"] = speed;
  columns["mass_kg"] = mass;
  return data_frame(columns);
}

}  // namespace

void bind_optimal(py::module_& m) {
  m.def(
      "optimize_staged",
      [](const StagedVehicle& deck, const LoadLimits& limits, std::optional<double> perigee,
         std::optional<double> apogee) {
        StagedVehicle vehicle = deck;
        if (perigee) vehicle.target.perigee_altitude = *perigee;
        if (apogee) vehicle.target.apogee_altitude = *apogee;
        vehicle.limits = stricter(vehicle.limits, limits);
        PythonSignals signals;
        studies::SolveSettings settings;
        settings.stop = signals.stop();
        std::optional<studies::StagedOptimum> result;
        {
          const py::gil_scoped_release solving;
          try {
            result = studies::optimize_staged(vehicle, settings);
          } catch (const Interrupted&) {
          }
        }
        signals.rethrow();
        py::dict out;
        const studies::AscentOptimum& optimum = result->optimum;
        out["feasible"] = result->flown.has_value();
        out["status"] = studies::status_name(optimum.solution.status);
        out["iterations"] = optimum.solution.iterations;
        out["solve_seconds"] = optimum.solution.solve_seconds;
        py::list lines;
        for (const studies::ResultLine& line : studies::result_lines(*result))
          lines.append(py::make_tuple(line.name, line.value, line.unit));
        out["report"] = lines;
        if (!result->flown) {
          out["unmet"] = studies::failure_text(*result);
          return out;
        }
        out["final_mass_kg"] = optimum.final_mass;
        out["final_time_s"] = optimum.final_time;
        py::dict ends;
        for (std::size_t p = 0; p < optimum.phase_ends.size(); ++p)
          ends[py::str(result->problem.phases[p].name)] = optimum.phase_ends[p];
        out["phase_ends_s"] = ends;
        py::list limits_reached;
        for (const studies::PathPeak& peak : optimum.limits)
          if (peak.active) limits_reached.append(peak.name);
        out["active"] = limits_reached;
        out["steering"] = steering_frame(*result);
        out["flight"] = StagedFlightResult{vehicle, std::move(*result->flown)};
        return out;
      },
      py::arg("vehicle"), py::arg("limits"), py::arg("perigee") = py::none(), py::arg("apogee") = py::none(),
      "The optimal ascent of a staged vehicle to its target within its limits and those given");
}

}  // namespace ascent::python
