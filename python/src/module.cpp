// The extension module behind the package `ascent`: the flight library and
// the trim tool's search, with the GIL released while flights fly.
#include "bindings.hpp"

PYBIND11_MODULE(_ascent, m) {
  m.doc() = "Launch vehicle ascent simulator: vehicle, thrust history, flights and trims";
  ascent::python::bind_errors(m);
  ascent::python::bind_vehicle(m);
  ascent::python::bind_thrust(m);
  ascent::python::bind_flight(m);
  ascent::python::bind_trim(m);
  ascent::python::bind_dispersion(m);
  ascent::python::bind_optimize(m);
  ascent::python::bind_columns(m);
  ascent::python::bind_report(m);
  ascent::python::bind_export(m);
  ascent::python::bind_target(m);
  ascent::python::bind_staged(m);
  ascent::python::bind_optimal(m);
}
