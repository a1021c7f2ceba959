// The trim tool's search (the angle that brings a turn time's average
// altitude to the vehicle's target) and its sweep over threads, with the GIL released.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <string>
#include <string_view>
#include <vector>

#include "bindings.hpp"
#include "number_text.hpp"
#include "python_signals.hpp"
#include "studies/sweep.hpp"
#include "studies/trim_solver.hpp"

namespace py = pybind11;

namespace ascent::python {

using studies::row_status_name;

namespace {

using studies::TrimResult;

/// The properties a trim and a sweep's row share: the turn time, how the
/// search ended, and the flight at its angle.
template <typename Row>
py::class_<Row>& bind_trim_outcome(py::class_<Row>& c) {
  return c
      .def_property_readonly(
          "turn_time", [](const Row& r) { return r.turn_time.value; }, "[s]")
      .def_property_readonly(
          "status",
          [](const Row& r) { return std::string(row_status_name(status_of(r.status, r.flight))); },
          "the trimmed flight's outcome (in_orbit, short_of_propellant, perigee_below_minimum, "
          "turn_too_long, ...), else out_of_reach, not_converged or flight_error")
      .def_property_readonly("trimmed", &Row::trimmed,
                             "the average altitude is on the target, whatever the outcome")
      .def_property_readonly("feasible", &Row::feasible, "trimmed, and in orbit")
      .def_readonly("message", &Row::message, "why it is not in orbit ('' when it is)")
      .def_property_readonly(
          "maxa", [](const Row& r) { return r.maxa.value; },
          "[deg] the trimmed angle, or that of the closest flight")
      .def_property_readonly("in_orbit", [](const Row& r) { return r.flight.in_orbit(); })
      .def_property_readonly(
          "perigee", [](const Row& r) { return r.flight.perigee; }, "[m]")
      .def_property_readonly(
          "apogee", [](const Row& r) { return r.flight.apogee; }, "[m]")
      .def_property_readonly(
          "average_altitude", [](const Row& r) { return r.flight.average_altitude; }, "[m]")
      .def_property_readonly(
          "remaining_propellant", [](const Row& r) { return r.flight.remaining_propellant; },
          "[kg]")
      .def_property_readonly(
          "sc_mass", [](const Row& r) { return r.flight.SC_M; }, "[kg]")
      .def_property_readonly(
          "sc_mass_unrounded", [](const Row& r) { return r.flight.SC_M_unrounded; }, "[kg]")
      .def_property_readonly(
          "max_dynamic_pressure", [](const Row& r) { return r.flight.loads.dynamic_pressure; },
          "[Pa]")
      .def_property_readonly(
          "max_dynamic_pressure_time",
          [](const Row& r) { return r.flight.loads.dynamic_pressure_time; }, "[s]")
      .def_property_readonly(
          "max_q_alpha", [](const Row& r) { return r.flight.loads.q_alpha; }, "[Pa*deg]")
      .def_property_readonly(
          "max_q_alpha_time", [](const Row& r) { return r.flight.loads.q_alpha_time; }, "[s]")
      .def_property_readonly(
          "max_acceleration", [](const Row& r) { return r.flight.loads.acceleration; },
          "[m/s^2]")
      .def_property_readonly(
          "max_acceleration_time", [](const Row& r) { return r.flight.loads.acceleration_time; },
          "[s]");
}

studies::TrimSettings settings_of(const Vehicle& vehicle, const ThrustHistory& thrust,
                                  double tolerance) {
  studies::TrimSettings settings{vehicle, thrust};
  settings.tolerance = tolerance;
  return settings;
}

/// The flights of a search, a column per quantity.
py::object flight_columns(const TrimResult& result) {
  const auto count = static_cast<py::ssize_t>(result.flights.size());
  py::array_t<double> maxa(count), perigee(count), apogee(count), average(count), remaining(count),
      sc_mass(count);
  py::array_t<bool> in_orbit(count);
  for (py::ssize_t i = 0; i < count; ++i) {
    const studies::TrimFlight& flight = result.flights[static_cast<std::size_t>(i)];
    maxa.mutable_at(i) = flight.maxa.value;
    in_orbit.mutable_at(i) = flight.outcome.in_orbit();
    perigee.mutable_at(i) = flight.outcome.perigee;
    apogee.mutable_at(i) = flight.outcome.apogee;
    average.mutable_at(i) = flight.outcome.average_altitude;
    remaining.mutable_at(i) = flight.outcome.remaining_propellant;
    sc_mass.mutable_at(i) = flight.outcome.SC_M;
  }
  py::dict columns;
  columns["maxa_deg"] = maxa;
  columns["in_orbit"] = in_orbit;
  columns["perigee_m"] = perigee;
  columns["apogee_m"] = apogee;
  columns["average_altitude_m"] = average;
  columns["remaining_propellant_kg"] = remaining;
  columns["sc_mass_kg"] = sc_mass;
  return data_frame(columns);
}

}  // namespace

void bind_trim(py::module_& m) {
  py::class_<studies::SweepRow> row(m, "SweepRow", "One turn time of a sweep, trimmed");
  bind_trim_outcome(row).def_readonly("flight_count", &studies::SweepRow::flights);

  py::class_<TrimResult> result(m, "TrimResult", "The search for one turn time's angle");
  bind_trim_outcome(result)
      .def_property_readonly("flight_count", [](const TrimResult& r) { return r.flights.size(); })
      .def("flight_columns", &flight_columns, "the flights of the search, a column per quantity");

  m.def(
      "trim",
      [](const Vehicle& vehicle, const ThrustHistory& thrust, double turn_time, double tolerance) {
        studies::TrimSettings settings = settings_of(vehicle, thrust, tolerance);
        PythonSignals signals;
        settings.interruption = signals.interruption();
        return signals.released(
            [&] { return studies::trim_turn_time(settings, turn_time_of(turn_time)); });
      },
      py::arg("vehicle"), py::arg("thrust"), py::arg("turn_time"), py::arg("tolerance"),
      "Searches the angle that brings the turn time's average altitude to the vehicle's target");

  m.def(
      "sweep",
      [](const Vehicle& vehicle, const ThrustHistory& thrust, const std::vector<double>& turn_times,
         double tolerance, unsigned threads) {
        const studies::TrimSettings settings = settings_of(vehicle, thrust, tolerance);
        std::vector<studies::TypedNumber> typed;
        typed.reserve(turn_times.size());
        for (const double t : turn_times) typed.push_back(turn_time_of(t));
        std::vector<studies::SweepRow> rows;
        rows.reserve(typed.size());
        PythonSignals signals;
        {
          const py::gil_scoped_release flying;
          studies::sweep(
              settings, studies::TurnTimes::listed(std::move(typed)),
              [&rows](const studies::SweepRow& r) { rows.push_back(r); }, threads, signals.stop());
        }
        signals.rethrow();
        return rows;
      },
      py::arg("vehicle"), py::arg("thrust"), py::arg("turn_times"), py::arg("tolerance"),
      py::arg("threads"),
      "Trims every turn time on `threads` threads (0: one per core), results in order");
}

}  // namespace ascent::python
