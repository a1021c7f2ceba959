// Staged vehicles: a staged deck read into a StagedVehicle and flown by
// fly_staged, with the steering table an optimiser fills, the final time and
// the payload as keyword arguments. The flight's events and history are
// DataFrames with ascent-trim's column names.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <csignal>
#include <cmath>
#include <functional>
#include <filesystem>
#include <numbers>
#include <optional>

#include "base/interruption.hpp"
#include "bindings.hpp"
#include "deck/staged_deck.hpp"
#include "mission/staged_flight.hpp"
#include "python_signals.hpp"
#include "studies/staged_capability.hpp"
#include "studies/staged_history.hpp"
#include "text/event_lines.hpp"

namespace py = pybind11;

namespace ascent::python {

using studies::CapabilityResult;
using studies::Column;
using studies::staged_capability;
using studies::staged_event_columns;
using studies::staged_history_columns;
using studies::StagedHistoryRow;
using studies::StagedHistoryRows;

namespace {

constexpr double DEGREES = 180.0 / std::numbers::pi;

/// A flown staged flight with the vehicle it flew.
struct StagedFlightResult {
  StagedVehicle vehicle;
  StagedResult result;

  [[nodiscard]] py::object history() const {
    const std::span<const Column> names = staged_history_columns();
    std::vector<py::array_t<double>> arrays;
    const auto rows = static_cast<py::ssize_t>(result.history.size());
    for (std::size_t i = 0; i < names.size(); ++i) arrays.emplace_back(rows);
    const StagedHistoryRows row_of(vehicle);
    for (py::ssize_t k = 0; k < rows; ++k) {
      const StagedHistoryRow row = row_of(result.history[static_cast<std::size_t>(k)]);
      for (std::size_t i = 0; i < row.size(); ++i) arrays[i].mutable_at(k) = row[i];
    }
    py::dict columns;
    for (std::size_t i = 0; i < names.size(); ++i) columns[py::str(std::string(names[i].name))] = arrays[i];
    return data_frame(columns);
  }

  [[nodiscard]] py::object events() const {
    py::list names, elements;
    const auto count = static_cast<py::ssize_t>(result.events.size());
    py::array_t<double> t(count), altitude(count), speed(count), mass(count);
    for (py::ssize_t i = 0; i < count; ++i) {
      const StagedEvent& e = result.events[static_cast<std::size_t>(i)];
      names.append(py::str(e.name));
      elements.append(py::str(e.element));
      t.mutable_at(i) = e.t;
      altitude.mutable_at(i) = e.state.position.norm() - vehicle.earth.equatorial_radius;
      speed.mutable_at(i) = e.state.velocity.norm();
      mass.mutable_at(i) = e.state.mass;
    }
    const std::array<py::object, 6> values{names, elements, t, altitude, speed, mass};
    py::dict columns;
    const std::span<const Column> column = staged_event_columns();
    for (std::size_t i = 0; i < values.size(); ++i) columns[py::str(std::string(column[i].name))] = values[i];
    return data_frame(columns);
  }

  [[nodiscard]] py::dict elements() const {
    const OrbitalElements& el = result.elements;
    py::dict d;
    d["semi_major_axis_m"] = el.semi_major_axis;
    d["eccentricity"] = el.eccentricity;
    d["inclination_deg"] = el.inclination * DEGREES;
    d["ascending_node_deg"] = el.ascending_node * DEGREES;
    d["argument_of_perigee_deg"] = el.argument_of_perigee * DEGREES;
    d["true_anomaly_deg"] = el.true_anomaly * DEGREES;
    return d;
  }
};

/// Rows of (t, ux, uy, uz) as a direction table.
DirectionTable direction_table(const py::array_t<double, py::array::c_style | py::array::forcecast>& rows) {
  if (rows.ndim() != 2 || rows.shape(1) != 4) {
    throw py::value_error("steering must be rows of (t [s], ux, uy, uz): an array of shape (n, 4)");
  }
  DirectionTable table;
  for (py::ssize_t i = 0; i < rows.shape(0); ++i) {
    table.times.push_back(rows.at(i, 0));
    table.directions.emplace_back(rows.at(i, 1), rows.at(i, 2), rows.at(i, 3));
  }
  return table;
}

}  // namespace

void bind_staged(py::module_& m) {
  py::class_<StagedVehicle>(m, "StagedVehicle",
                            "A launch vehicle as elements and its flight as phases, from a staged deck")
      .def_static(
          "read", [](const std::filesystem::path& path) { return read_staged_deck(path); },
          py::arg("path"), "Reads a staged vehicle deck; ValueError with file:line:column when it cannot be flown")
      .def_property_readonly("name", [](const StagedVehicle& v) { return v.name; })
      .def_property_readonly("liftoff_mass", &StagedVehicle::liftoff_mass, "[kg]")
      .def_property_readonly("payload", [](const StagedVehicle& v) { return v.payload; }, "[kg]")
      .def_property_readonly("elements",
                             [](const StagedVehicle& v) {
                               py::list names;
                               for (const Element& e : v.elements) names.append(e.name);
                               return names;
                             })
      .def_property_readonly("phases", [](const StagedVehicle& v) {
        py::list names;
        for (const Phase& p : v.phases) names.append(p.name);
        return names;
      });

  py::class_<StagedFlightResult>(m, "StagedFlight", "One flight of a staged vehicle")
      .def_property_readonly("outcome",
                             [](const StagedFlightResult& f) { return std::string(outcome_name(f.result.outcome)); })
      .def_property_readonly("failure",
                             [](const StagedFlightResult& f) {
                               return f.result.failure == OrbitFailure::none
                                          ? std::string()
                                          : std::string(orbit_failure_words(f.result.failure));
                             })
      .def_property_readonly("final_time", [](const StagedFlightResult& f) { return f.result.final_time; }, "[s]")
      .def_property_readonly("final_mass", [](const StagedFlightResult& f) { return f.result.final_state.mass; }, "[kg]")
      .def_property_readonly("remaining_propellant",
                             [](const StagedFlightResult& f) { return f.result.remaining_propellant; }, "[kg]")
      .def_property_readonly("perigee", [](const StagedFlightResult& f) { return f.result.perigee_altitude; }, "[m]")
      .def_property_readonly("apogee", [](const StagedFlightResult& f) { return f.result.apogee_altitude; }, "[m]")
      .def_property_readonly("liftoff_time", [](const StagedFlightResult& f) { return f.result.liftoff_time; }, "[s]")
      .def_property_readonly("steps", [](const StagedFlightResult& f) { return f.result.steps; })
      .def_property_readonly("elements", &StagedFlightResult::elements,
                             "osculating elements at the end, angles in degrees")
      .def_property_readonly("history", &StagedFlightResult::history, "DataFrame, one row per step")
      .def_property_readonly("events", &StagedFlightResult::events, "DataFrame, one row per event");

  m.def(
      "fly_staged",
      [](const StagedVehicle& vehicle,
         std::optional<py::array_t<double, py::array::c_style | py::array::forcecast>> steering,
         std::optional<double> final_time, std::optional<double> payload, bool history) {
        StagedPlan plan;
        if (steering) plan.steering = direction_table(*steering);
        plan.final_time = final_time;
        plan.payload = payload;
        plan.keep_history = history;
        StagedResult result;
        {
          const py::gil_scoped_release flying;
          result = fly_staged(vehicle, plan);
        }
        return StagedFlightResult{vehicle, std::move(result)};
      },
      py::arg("vehicle"), py::kw_only(), py::arg("steering") = py::none(),
      py::arg("final_time") = py::none(), py::arg("payload") = py::none(), py::arg("history") = true,
      R"(Flies a staged vehicle.

    >>> delta = ascent.StagedVehicle.read("data/vehicles/delta3.toml")
    >>> flight = ascent.fly_staged(delta, final_time=900.0)
    >>> flight.outcome, flight.final_mass

steering: rows of (t [s], ux, uy, uz), the inertial thrust direction of every
phase steered by a table of directions; final_time [s] ends the flight;
payload [kg] instead of the deck's.)");

  m.def(
      "capability",
      [](const StagedVehicle& vehicle, double reserve) {
        PythonSignals signals;
        const std::function<bool()> stop = signals.stop();
        CapabilityResult found;
        {
          const py::gil_scoped_release flying;
          try {
            found = staged_capability(vehicle, reserve, [&](double, const StagedResult&) {
              if (stop()) throw Interrupted(SIGINT);
            });
          } catch (const Interrupted&) {
          }
        }
        signals.rethrow();
        py::dict out;
        out["feasible"] = found.feasible;
        out["payload_kg"] = found.payload;
        out["margin_kg"] = found.margin;
        out["flights"] = found.flights;
        out["flight"] = StagedFlightResult{vehicle, std::move(found.flight)};
        return out;
      },
      py::arg("vehicle"), py::kw_only(), py::arg("reserve") = 0.0,
      R"(The largest payload [kg] the staged vehicle takes to its target orbit with
`reserve` [kg] of propellant left, each point a whole flight.

    >>> found = ascent.capability(ascent.StagedVehicle.read("data/vehicles/builtin.toml"))
    >>> found["payload_kg"], found["margin_kg"], found["flights"])");
}

}  // namespace ascent::python
