// The pages of ascent.report, written by the studies library as ascent-trim
// --report writes them: a trim, a guided flight, the plan of the largest
// payload, a sweep and the exchange ratios (a flight's page and a study's
// are bound beside their objects).
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <cmath>
#include <tuple>

#include "bindings.hpp"
#include "mission/vehicle_fields.hpp"
#include "studies/report_pages.hpp"

namespace py = pybind11;

namespace ascent::python {

namespace {

/// A row of ascent.sensitivities: field, value, step, central, ratio, message.
using RatioRow = std::tuple<std::string, double, double, bool, double, std::string>;

HtmlReport sensitivities_page(const studies::Facts& run, const std::vector<RatioRow>& rows) {
  std::vector<studies::ExchangeRatio> ratios;
  for (const auto& [name, value, step, central, ratio, message] : rows) {
    const VehicleField* field = find_vehicle_field(name);
    if (field == nullptr) throw py::value_error("no vehicle field \"" + name + "\"");
    ratios.push_back({field, value, step, central, ratio, message});
  }
  return studies::sensitivities_page(run, ratios);
}

}  // namespace

void bind_report(py::module_& m) {
  py::class_<HtmlReport>(m, "HtmlReport", "One self-contained HTML page with inline SVG charts")
      .def_property("title", &HtmlReport::title, &HtmlReport::set_title)
      .def("page", &HtmlReport::page, "the page's HTML")
      .def("write", &HtmlReport::write, py::arg("path"));

  m.def("trim_facts", &studies::trim_facts, py::arg("trim"));
  m.def("target_facts", &studies::target_facts, py::arg("target"));
  m.def("optimum_facts", &studies::optimum_facts, py::arg("optimum"));
  m.def("sweep_page", &studies::sweep_page, py::arg("run"), py::arg("columns"));
  m.def("sensitivities_page", &sensitivities_page, py::arg("run"), py::arg("rows"));

  py::class_<studies::SweepColumns>(m, "SweepColumns")
      .def(py::init<>())
      .def_readwrite("turn_time", &studies::SweepColumns::turn_time)
      .def_readwrite("maxa", &studies::SweepColumns::maxa)
      .def_readwrite("perigee", &studies::SweepColumns::perigee)
      .def_readwrite("apogee", &studies::SweepColumns::apogee)
      .def_readwrite("average_altitude", &studies::SweepColumns::average_altitude)
      .def_readwrite("remaining_propellant", &studies::SweepColumns::remaining_propellant)
      .def_readwrite("sc_mass", &studies::SweepColumns::sc_mass)
      .def_readwrite("max_dynamic_pressure", &studies::SweepColumns::max_dynamic_pressure)
      .def_readwrite("max_q_alpha", &studies::SweepColumns::max_q_alpha)
      .def_readwrite("max_acceleration", &studies::SweepColumns::max_acceleration)
      .def_readwrite("flights", &studies::SweepColumns::flights)
      .def_readwrite("status", &studies::SweepColumns::status)
      .def_readwrite("message", &studies::SweepColumns::message);
}

}  // namespace ascent::python
