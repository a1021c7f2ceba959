// HtmlReport and the report figures of the studies library, so that
// ascent.report writes the same page and charts as ascent-trim --report.
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include "bindings.hpp"
#include "studies/study_charts.hpp"
#include "text/html_report.hpp"

namespace py = pybind11;

namespace ascent::python {

namespace {

using Marks = std::vector<std::pair<double, std::string>>;

void add_charts(HtmlReport& page, const std::vector<Chart>& charts) {
  for (const Chart& chart : charts) page.add_chart(chart);
}

}  // namespace

void bind_report(py::module_& m) {
  py::class_<HtmlReport>(m, "HtmlReport", "One self-contained HTML page with inline SVG charts")
      .def(py::init<std::string>(), py::arg("title"))
      .def("add_heading", &HtmlReport::add_heading)
      .def("add_paragraph", &HtmlReport::add_paragraph)
      .def("add_preformatted", &HtmlReport::add_preformatted)
      .def("add_facts", &HtmlReport::add_facts, "name and value pairs")
      .def("add_table", &HtmlReport::add_table, py::arg("header"), py::arg("rows"))
      .def("page", &HtmlReport::page, "the page's HTML")
      .def("write", &HtmlReport::write, py::arg("path"));

  m.def(
      "add_flight_charts",
      [](HtmlReport& page, std::vector<double> t, std::vector<double> altitude,
         std::vector<double> speed, std::vector<double> Pq, std::vector<double> acceleration,
         const Marks& events) {
        report::FlightColumns columns{std::move(t), std::move(altitude), std::move(speed),
                                      std::move(Pq), std::move(acceleration), {}};
        for (const auto& [time, name] : events) columns.events.push_back({time, name});
        add_charts(page, report::flight_charts(columns));
      },
      py::arg("page"), py::arg("t"), py::arg("altitude"), py::arg("speed"), py::arg("Pq"),
      py::arg("acceleration"), py::arg("events"));
  m.def(
      "add_sweep_charts",
      [](HtmlReport& page, const report::SweepColumns& columns) {
        add_charts(page, report::sweep_charts(columns));
      },
      py::arg("page"), py::arg("columns"));
  m.def(
      "add_dispersion_charts",
      [](HtmlReport& page, const report::DispersionColumns& columns) {
        add_charts(page, report::dispersion_charts(columns));
      },
      py::arg("page"), py::arg("columns"));

  py::class_<report::SweepColumns>(m, "SweepColumns")
      .def(py::init<>())
      .def_readwrite("turn_time", &report::SweepColumns::turn_time)
      .def_readwrite("maxa", &report::SweepColumns::maxa)
      .def_readwrite("perigee", &report::SweepColumns::perigee)
      .def_readwrite("apogee", &report::SweepColumns::apogee)
      .def_readwrite("remaining_propellant", &report::SweepColumns::remaining_propellant)
      .def_readwrite("sc_mass", &report::SweepColumns::sc_mass);
  py::class_<report::DispersionColumns>(m, "DispersionColumns")
      .def(py::init<>())
      .def_readwrite("perigee", &report::DispersionColumns::perigee)
      .def_readwrite("apogee", &report::DispersionColumns::apogee)
      .def_readwrite("remaining_propellant", &report::DispersionColumns::remaining_propellant)
      .def_readwrite("sc_mass", &report::DispersionColumns::sc_mass)
      .def_readwrite("maxa", &report::DispersionColumns::maxa)
      .def_readwrite("parameter_names", &report::DispersionColumns::parameter_names)
      .def_readwrite("parameters", &report::DispersionColumns::parameters)
      .def_readwrite("nominal_remaining_propellant",
                     &report::DispersionColumns::nominal_remaining_propellant)
      .def_readwrite("remaining_propellant_met",
                     &report::DispersionColumns::remaining_propellant_met);
}

}  // namespace ascent::python
