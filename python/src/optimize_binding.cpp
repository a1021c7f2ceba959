// The payload optimiser (the turn time of the largest payload within the
// load limits) and the exchange ratios of the vehicle's fields, computed
// with the GIL released; Ctrl-C stops them at their next flight.
#include <pybind11/stl.h>

#include <string>
#include <vector>

#include "bindings.hpp"
#include "number_text.hpp"
#include "python_signals.hpp"
#include "studies/optimizer.hpp"
#include "studies/sensitivities.hpp"

namespace py = pybind11;

namespace ascent::python {

void bind_optimize(py::module_& m) {
  py::class_<studies::OptimizeResult>(m, "OptimizeResult", "The search for the largest payload")
      .def_readonly("best", &studies::OptimizeResult::best,
                    "the best feasible trim (a TrimResult), or None when no plan is feasible")
      .def_property_readonly(
          "active",
          [](const studies::OptimizeResult& r) {
            std::vector<std::string> names;
            for (const studies::Constraint c : r.active) names.emplace_back(constraint_name(c));
            return names;
          },
          "the constraints that bind at the optimum")
      .def_property_readonly("trim_count",
                             [](const studies::OptimizeResult& r) { return r.trims.size(); })
      .def_readonly("flight_count", &studies::OptimizeResult::flights, "flown in all the trims");

  m.def(
      "optimize",
      [](const Vehicle& vehicle, const ThrustHistory& thrust, double from, double to,
         double tolerance, const LoadLimits& limits) {
        studies::OptimizeSettings settings;
        settings.trim = studies::TrimSettings{vehicle, thrust};
        settings.trim.tolerance = tolerance;
        settings.from = from;
        settings.to = to;
        settings.limits = limits;
        PythonSignals signals;
        settings.trim.interruption = signals.interruption();
        return signals.released([&] { return studies::optimize_payload(settings); });
      },
      py::arg("vehicle"), py::arg("thrust"), py::arg("from_"), py::arg("to"), py::arg("tolerance"),
      py::arg("limits"),
      "The turn time of the largest payload from `from_` to `to` within the limits");

  m.def(
      "sensitivities",
      [](const Vehicle& vehicle, const ThrustHistory& thrust, double turn_time) {
        studies::TrimSettings settings{vehicle, thrust};
        PythonSignals signals;
        settings.interruption = signals.interruption();
        const std::vector<studies::ExchangeRatio> ratios = signals.released(
            [&] { return studies::exchange_ratios(settings, turn_time_of(turn_time)); });
        py::list rows;
        for (const studies::ExchangeRatio& r : ratios) {
          rows.append(py::make_tuple(r.field->name(), std::string(r.field->unit), r.value, r.step,
                                     r.central, r.ratio, r.per_percent(), r.message,
                                     std::string(studies::ratio_caveat(r.field->name()))));
        }
        return rows;
      },
      py::arg("vehicle"), py::arg("thrust"), py::arg("turn_time"),
      "d(SC_M)/d(field) of every numeric vehicle field, the largest effect of 1 % more first");

  py::class_<LoadLimits>(m, "LoadLimits", "Structural limits of the loads (0: none)")
      .def(py::init([](double q, double q_alpha, double acceleration) {
             return LoadLimits{q, q_alpha, acceleration};
           }),
           py::arg("max_dynamic_pressure") = 0.0, py::arg("max_q_alpha") = 0.0,
           py::arg("max_axial_acceleration") = 0.0);
}

}  // namespace ascent::python
