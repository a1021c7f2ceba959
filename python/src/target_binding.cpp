// Orbit targeting: the guided upper stage flown to a target orbit for a turn
// time, the core stage at a given or trimmed angle, with the GIL released.
#include <pybind11/stl.h>

#include <optional>
#include <string>

#include "bindings.hpp"
#include "number_text.hpp"
#include "python_signals.hpp"
#include "studies/target.hpp"

namespace py = pybind11;

namespace ascent::python {

using studies::row_status_name;

namespace {

using studies::TargetResult;

/// An orbit quantity of a flight that reached the target's orbit, else None.
template <typename Get>
py::object when_reached(const TargetResult& r, Get get) {
  return r.reached_orbit() ? py::cast(get(r.flight)) : py::none();
}

}  // namespace

void bind_target(py::module_& m) {
  py::class_<TargetResult>(m, "TargetResult", "The guided upper stage flown to a target orbit")
      .def_property_readonly("turn_time", [](const TargetResult& r) { return r.turn_time.value; })
      .def_property_readonly(
          "maxa",
          [](const TargetResult& r) {
            return r.maxa.text.empty() ? py::none() : py::cast(r.maxa.value);
          },
          "[deg] the core stage's angle flown (None when it could not be trimmed)")
      .def_readonly("maxa_trimmed", &TargetResult::maxa_trimmed)
      .def_readonly("target_perigee", &TargetResult::target_perigee, "[m]")
      .def_readonly("target_apogee", &TargetResult::target_apogee, "[m]")
      .def_property_readonly(
          "status", [](const TargetResult& r) { return std::string(row_status_name(r.status)); },
          "the guided flight's outcome (in_orbit, short_of_propellant, ...), or why the core "
          "stage's angle has none (out_of_reach, not_converged)")
      .def_readonly("reason", &TargetResult::reason, "why the orbit is not reached")
      .def_readonly("flight_count", &TargetResult::flights, "flights flown, the trim's included")
      .def_property_readonly(
          "perigee",
          [](const TargetResult& r) {
            return when_reached(r, [](const FlightResult& f) { return f.orbit.perigee; });
          },
          "[m]")
      .def_property_readonly(
          "apogee",
          [](const TargetResult& r) {
            return when_reached(r, [](const FlightResult& f) { return f.orbit.apogee; });
          },
          "[m]")
      .def_property_readonly(
          "remaining_propellant",
          [](const TargetResult& r) {
            return when_reached(r, [](const FlightResult& f) { return f.remaining_propellant; });
          },
          "[kg] negative when the stage is short of propellant")
      .def_property_readonly(
          "sc_mass",
          [](const TargetResult& r) {
            return when_reached(r, [](const FlightResult& f) { return f.budget.SC_M; });
          },
          "[kg]");

  m.def(
      "target",
      [](const Vehicle& vehicle, const ThrustHistory& thrust, double turn_time,
         std::optional<double> maxa, std::optional<double> perigee, std::optional<double> apogee,
         double tolerance) {
        studies::TargetRequest request{
            {vehicle, thrust}, turn_time_of(turn_time), std::nullopt, perigee, apogee};
        request.settings.tolerance = tolerance;
        if (maxa) request.maxa = studies::TypedNumber{shortest(*maxa), *maxa};
        PythonSignals signals;
        request.settings.interruption = signals.interruption();
        return signals.released([&] { return studies::fly_to_target(request); });
      },
      py::arg("vehicle"), py::arg("thrust"), py::arg("turn_time"), py::arg("maxa"),
      py::arg("perigee"), py::arg("apogee"), py::arg("tolerance"),
      "Flies the guided upper stage to the target orbit");
  m.def("guided_vehicle", &studies::guided_vehicle, py::arg("vehicle"), py::arg("perigee"),
        py::arg("apogee"), "The vehicle with its upper stage guided to the target orbit");
}

}  // namespace ascent::python
