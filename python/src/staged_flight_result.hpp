// A flown staged flight with the vehicle it flew, as Python's StagedFlight:
// its history and events as DataFrames with ascent-trim's column names.
#pragma once

#include <pybind11/numpy.h>

#include <array>
#include <numbers>
#include <span>

#include "bindings.hpp"
#include "mission/staged_flight.hpp"
#include "studies/staged_history.hpp"

namespace ascent::python {

inline constexpr double DEGREES = 180.0 / std::numbers::pi;

/// A flown staged flight with the vehicle it flew.
struct StagedFlightResult {
  StagedVehicle vehicle;
  StagedResult result;

  [[nodiscard]] pybind11::object history() const {
    const std::span<const studies::Column> names = studies::staged_history_columns();
    std::vector<pybind11::array_t<double>> arrays;
    const auto rows = static_cast<pybind11::ssize_t>(result.history.size());
    for (std::size_t i = 0; i < names.size(); ++i) arrays.emplace_back(rows);
    const studies::StagedHistoryRows row_of(vehicle);
    for (pybind11::ssize_t k = 0; k < rows; ++k) {
      const studies::StagedHistoryRow row = row_of(result.history[static_cast<std::size_t>(k)]);
      for (std::size_t i = 0; i < row.size(); ++i) arrays[i].mutable_at(k) = row[i];
    }
    pybind11::dict columns;
    for (std::size_t i = 0; i < names.size(); ++i) columns[pybind11::str(std::string(names[i].name))] = arrays[i];
    return data_frame(columns);
  }

  [[nodiscard]] pybind11::object events() const {
    pybind11::list names, elements;
    const auto count = static_cast<pybind11::ssize_t>(result.events.size());
    pybind11::array_t<double> t(count), altitude(count), speed(count), mass(count);
    for (pybind11::ssize_t i = 0; i < count; ++i) {
      const StagedEvent& e = result.events[static_cast<std::size_t>(i)];
      names.append(pybind11::str(e.name));
      elements.append(pybind11::str(e.element));
      t.mutable_at(i) = e.t;
      altitude.mutable_at(i) = e.state.position.norm() - vehicle.earth.equatorial_radius;
      speed.mutable_at(i) = e.state.velocity.norm();
      mass.mutable_at(i) = e.state.mass;
    }
    const std::array<pybind11::object, 6> values{names, elements, t, altitude, speed, mass};
    pybind11::dict columns;
    const std::span<const studies::Column> column = studies::staged_event_columns();
    for (std::size_t i = 0; i < values.size(); ++i) columns[pybind11::str(std::string(column[i].name))] = values[i];
    return data_frame(columns);
  }

  [[nodiscard]] pybind11::dict elements() const {
    const OrbitalElements& el = result.elements;
    pybind11::dict d;
    d["semi_major_axis_m"] = el.semi_major_axis;
    d["eccentricity"] = el.eccentricity;
    d["inclination_deg"] = el.inclination * DEGREES;
    d["ascending_node_deg"] = el.ascending_node * DEGREES;
    d["argument_of_perigee_deg"] = el.argument_of_perigee * DEGREES;
    d["true_anomaly_deg"] = el.true_anomaly * DEGREES;
    return d;
  }
};

}  // namespace ascent::python
