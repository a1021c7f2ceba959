// Flight: one flight of the library, flown with the GIL released. Its steps
// are kept by the trim tool's FlightRecorder in one contiguous array; the
// history DataFrame takes each column as a strided view of that array, so no
// Python code runs per step.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/earth.hpp"
#include "bindings.hpp"
#include "studies/columns.hpp"
#include "mission/flight.hpp"
#include "number_text.hpp"
#include "text/event_lines.hpp"
#include "studies/flight_ground.hpp"
#include "studies/flight_recorder.hpp"
#include "studies/report_pages.hpp"
#include "text/kml_document.hpp"
#include "text/orbit_ephemeris.hpp"

namespace py = pybind11;

namespace ascent::python {

using studies::Column;
using studies::event_columns;
using studies::history_columns;
using studies::impact_columns;

namespace {

using studies::EventRecord;
using studies::StepRecord;

/// The members of a step, in the order of the history's columns.
constexpr std::array STEP_MEMBERS{
    &StepRecord::t,     &StepRecord::dt,     &StepRecord::a,      &StepRecord::vi,
    &StepRecord::vt,    &StepRecord::vr,     &StepRecord::h0,     &StepRecord::r0,
    &StepRecord::alpha, &StepRecord::beta,   &StepRecord::theta,  &StepRecord::Pq,
    &StepRecord::thrust, &StepRecord::drag,  &StepRecord::Cd,     &StepRecord::mass,
    &StepRecord::m_prop, &StepRecord::dV,    &StepRecord::perigee, &StepRecord::apogee,
    &StepRecord::alpha_aero, &StepRecord::q_alpha};

double degrees(double radians) {
  return static_cast<double>(radians * 180.0L / PI);
}

std::string_view end_name(FlightEnd end) {
  switch (end) {
    case FlightEnd::upper_stage_separated:
      return "upper_stage_separated";
    case FlightEnd::turn_too_long:
      return "turn_too_long";
    case FlightEnd::cannot_reach_orbit:
      return "cannot_reach_orbit";
  }
  return "";
}

/// Why the flight ended early; "" for a flight flown to the end.
std::string reason_of(const FlightResult& result, const Vehicle& vehicle) {
  return std::string(early_end_reason(result, vehicle).view());
}

class Flight {
 public:
  Flight(const Vehicle& vehicle, const ThrustHistory& thrust, const FlightPlan& plan,
         bool keep_steps, const studies::GroundSettings& ground)
      : recorder_(keep_steps), kept_steps_(keep_steps), ground_(vehicle, ground) {
    result_ = fly(vehicle, thrust, plan, &recorder_);
    reason_ = reason_of(result_, vehicle);
  }

  [[nodiscard]] const FlightResult& result() const { return result_; }
  [[nodiscard]] const studies::FlightRecorder& recorder() const { return recorder_; }
  [[nodiscard]] const std::string& reason() const { return reason_; }

  /// One row per step, a column per quantity; `self` owns the steps the columns view.
  static py::object history(const py::object& self) {
    const Flight& flight = self.cast<const Flight&>();
    const std::vector<StepRecord>& steps = flight.steps();
    const auto rows = static_cast<py::ssize_t>(steps.size());
    const auto stride = static_cast<py::ssize_t>(sizeof(StepRecord));
    py::dict columns;
    const std::span<const Column> names = history_columns();
    for (std::size_t i = 0; i < STEP_MEMBERS.size(); ++i) {
      const double* first = steps.empty() ? nullptr : &(steps.front().*STEP_MEMBERS[i]);
      columns[py::str(std::string(names[i].name))] =
          py::array_t<double>({rows}, {stride}, first, self);
    }
    py::array_t<bool> search_step(rows);
    for (py::ssize_t i = 0; i < rows; ++i) {
      search_step.mutable_at(i) = steps[static_cast<std::size_t>(i)].search_step;
    }
    columns["search_step"] = search_step;
    py::array_t<double> latitude(rows), longitude(rows), altitude(rows);
    for (py::ssize_t i = 0; i < rows; ++i) {
      const studies::GroundPoint where = flight.ground_.point(steps[static_cast<std::size_t>(i)]);
      latitude.mutable_at(i) = where.latitude;
      longitude.mutable_at(i) = where.longitude;
      altitude.mutable_at(i) = where.altitude;
    }
    const std::array<py::array_t<double>, 3> place{latitude, longitude, altitude};
    for (std::size_t i = 0; i < place.size(); ++i) {
      columns[py::str(std::string(names[STEP_MEMBERS.size() + 1 + i].name))] = place[i];
    }
    return data_frame(columns);
  }

  /// Where the elements it dropped come down, one row per element.
  [[nodiscard]] py::object impacts() const {
    const std::vector<studies::ImpactRecord> impacts = ground_.impacts(recorder_.events());
    py::list element;
    py::list reaches_orbit;
    const auto count = static_cast<py::ssize_t>(impacts.size());
    py::array_t<double> t(count), latitude(count), longitude(count), downrange(count), speed(count);
    for (py::ssize_t i = 0; i < count; ++i) {
      const studies::ImpactRecord& impact = impacts[static_cast<std::size_t>(i)];
      element.append(impact.element);
      reaches_orbit.append(impact.reaches_orbit);
      t.mutable_at(i) = impact.t;
      latitude.mutable_at(i) = impact.latitude;
      longitude.mutable_at(i) = impact.longitude;
      downrange.mutable_at(i) = impact.reaches_orbit ? NAN : impact.downrange;
      speed.mutable_at(i) = impact.reaches_orbit ? NAN : impact.speed;
    }
    py::dict columns;
    const std::span<const Column> names = impact_columns();
    const std::array<py::object, 7> values{element,  reaches_orbit, t,    latitude,
                                           longitude, downrange,    speed};
    for (std::size_t i = 0; i < values.size(); ++i) {
      columns[py::str(std::string(names[i].name))] = values[i];
    }
    return data_frame(columns);
  }

  /// The map of the flight: its track at its altitude and its impact points.
  void write_kml(const std::filesystem::path& path) const {
    const KmlDocument map = ground_.map(steps(), ground_.impacts(recorder_.events()));
    const py::gil_scoped_release writing;
    ascent::write_kml(path, map);
  }

  /// The path as a CCSDS orbit ephemeris in TEME, for a liftoff at `launch_epoch` (UTC).
  void write_oem(const std::filesystem::path& path, const std::string& launch_epoch) const {
    const OrbitEphemeris ephemeris = ground_.ephemeris(steps(), UtcTime::parse(launch_epoch));
    const py::gil_scoped_release writing;
    ascent::write_oem(path, ephemeris);
  }

  /// One row per event of the flight, in order: the table of ascent-trim events.
  [[nodiscard]] py::object events() const {
    const std::vector<EventRecord> events = recorder_.events();
    const auto count = static_cast<py::ssize_t>(events.size());
    py::list names;
    constexpr std::array MEMBERS{&EventRecord::t,    &EventRecord::h0,    &EventRecord::vi,
                                 &EventRecord::beta, &EventRecord::theta, &EventRecord::Pq,
                                 &EventRecord::mass};
    // Then where each is over the ground.
    std::array<py::array_t<double>, MEMBERS.size() + 2> values;
    for (py::array_t<double>& column : values) column = py::array_t<double>(count);
    for (py::ssize_t i = 0; i < count; ++i) {
      const EventRecord& record = events[static_cast<std::size_t>(i)];
      names.append(py::str(record.name));
      for (std::size_t j = 0; j < MEMBERS.size(); ++j) {
        values[j].mutable_at(i) = record.*MEMBERS[j];
      }
      const studies::GroundPoint where = ground_.point(record);
      values[MEMBERS.size()].mutable_at(i) = where.latitude;
      values[MEMBERS.size() + 1].mutable_at(i) = where.longitude;
    }
    py::dict columns;
    const std::span<const Column> column = event_columns();
    columns[py::str(std::string(column[0].name))] = names;
    for (std::size_t j = 0; j < values.size(); ++j) {
      columns[py::str(std::string(column[j + 1].name))] = values[j];
    }
    return data_frame(columns);
  }

 private:
  [[nodiscard]] const std::vector<StepRecord>& steps() const {
    if (!kept_steps_) {
      throw py::value_error("the flight was flown without its history (history=False)");
    }
    return recorder_.steps();
  }

  FlightResult result_;
  std::string reason_;
  studies::FlightRecorder recorder_;
  bool kept_steps_;
  studies::FlightGround ground_;
};

py::dict budget_of(const MassBudget& b) {
  py::dict budget;
  budget["S3_Mt"] = b.S3_Mt;
  budget["S3_Mi"] = b.S3_Mi;
  budget["S3_Mp"] = b.S3_Mp;
  budget["reserve_propellant"] = b.reserve_propellant;
  budget["deorbit_propellant"] = b.deorbit_propellant;
  budget["S3_Ms"] = b.S3_Ms;
  budget["total_propellant"] = b.total_propellant;
  budget["S3_U_Mp"] = b.S3_U_Mp;
  budget["SC_M"] = b.SC_M;
  return budget;
}

std::string flight_text(const Flight& flight) {
  const FlightResult& r = flight.result();
  std::string text =
      "Flight(turn_time=" + shortest(r.turn_time) + ", maxa=" + shortest(degrees(r.maxa)) + ", ";
  if (!r.separated()) return text + "ended early: " + flight.reason() + ")";
  char orbit[96];
  std::snprintf(orbit, sizeof orbit, "perigee=%.1f km, apogee=%.1f km, sc_mass=%.0f kg)",
                r.orbit.perigee / 1000.0, r.orbit.apogee / 1000.0, r.budget.SC_M);
  return text + orbit;
}

template <auto Member>
auto result_field(const Flight& flight) {
  return flight.result().*Member;
}

}  // namespace

void bind_flight(py::module_& m) {
  py::class_<Flight>(m, "Flight",
                     "One flight: how it ended, its orbit, mass budget, events and history")
      .def_property_readonly("turn_time", &result_field<&FlightResult::turn_time>, "[s]")
      .def_property_readonly(
          "maxa", [](const Flight& f) { return degrees(f.result().maxa); },
          "[deg] the maximum angle of attack flown")
      .def_property_readonly("maxa_flown", &result_field<&FlightResult::maxa_flown>,
                             "the flight reached the core phase, where maxa applies")
      .def_property_readonly(
          "end", [](const Flight& f) { return std::string(end_name(f.result().end)); },
          "upper_stage_separated, turn_too_long or cannot_reach_orbit")
      .def_property_readonly("reason", &Flight::reason,
                             "why the flight ended early ('' when it did not)")
      .def_property_readonly("separated", [](const Flight& f) { return f.result().separated(); })
      .def_property_readonly(
          "outcome", [](const Flight& f) { return std::string(outcome_name(f.result().outcome)); },
          "in_orbit, short_of_propellant, perigee_below_minimum, over_load_limit, "
          "turn_too_long or cannot_reach_orbit")
      .def_property_readonly(
          "in_orbit", [](const Flight& f) { return f.result().in_orbit(); },
          "the outcome is in_orbit: separated on an orbit the vehicle can fly")
      .def_property_readonly(
          "perigee", [](const Flight& f) { return f.result().orbit.perigee; }, "[m]")
      .def_property_readonly(
          "apogee", [](const Flight& f) { return f.result().orbit.apogee; }, "[m]")
      .def_property_readonly(
          "average_altitude", [](const Flight& f) { return f.result().orbit.average_altitude; },
          "[m]")
      .def_property_readonly("remaining_propellant",
                             &result_field<&FlightResult::remaining_propellant>,
                             "[kg] upper-stage main propellant left at cutoff")
      .def_property_readonly(
          "sc_mass", [](const Flight& f) { return f.result().budget.SC_M; },
          "[kg] spacecraft mass the upper stage can carry")
      .def_property_readonly(
          "budget", [](const Flight& f) { return budget_of(f.result().budget); },
          "the upper stage's mass budget [kg]")
      .def_property_readonly("delta_v", &result_field<&FlightResult::delta_v>,
                             "[m/s] ideal, whole flight")
      .def_property_readonly("upper_stage_delta_v",
                             &result_field<&FlightResult::upper_stage_delta_v>, "[m/s]")
      .def_property_readonly("liftoff_mass", &result_field<&FlightResult::liftoff_mass>, "[kg]")
      .def_property_readonly("liftoff_thrust", &result_field<&FlightResult::liftoff_thrust>, "[N]")
      .def_property_readonly("stage3_max_force", &result_field<&FlightResult::stage3_max_force>,
                             "[N]")
      .def_property_readonly(
          "max_dynamic_pressure",
          [](const Flight& f) { return f.result().maxima.dynamic_pressure; }, "[Pa]")
      .def_property_readonly(
          "max_dynamic_pressure_time",
          [](const Flight& f) { return f.result().maxima.dynamic_pressure_time; }, "[s]")
      .def_property_readonly(
          "max_q_alpha", [](const Flight& f) { return f.result().maxima.q_alpha; },
          "[Pa*deg] dynamic pressure times the aerodynamic angle of attack")
      .def_property_readonly(
          "max_q_alpha_time", [](const Flight& f) { return f.result().maxima.q_alpha_time; },
          "[s]")
      .def_property_readonly(
          "max_acceleration", [](const Flight& f) { return f.result().maxima.acceleration; },
          "[m/s^2]")
      .def_property_readonly(
          "max_acceleration_time",
          [](const Flight& f) { return f.result().maxima.acceleration_time; }, "[s]")
      .def_property_readonly(
          "sc_mass_unrounded", [](const Flight& f) { return f.result().budget.SC_M_unrounded; },
          "[kg] sc_mass before its rounding to whole kilograms")
      .def_property_readonly("steps", &result_field<&FlightResult::steps>,
                             "integration steps taken")
      .def_property_readonly("history", &Flight::history,
                             "DataFrame, one row per step, a column per quantity (SI units named)")
      .def_property_readonly("events", &Flight::events,
                             "DataFrame, one row per event, as ascent-trim events gives them: "
                             "event, t_s, h0_m, vi_m_s, beta_deg, theta_deg, pq_pa, mass_kg, "
                             "latitude_deg, longitude_deg")
      .def_property_readonly("impacts", &Flight::impacts,
                             "DataFrame, one row per element dropped: where and when it comes "
                             "down (or that it reaches orbit), its downrange distance and speed")
      .def("write_kml", &Flight::write_kml, py::arg("path"),
           "Writes the track and the impact points as KML, whole or not at all")
      .def("write_oem", &Flight::write_oem, py::arg("path"), py::arg("launch_epoch"),
           "Writes the path as a CCSDS OEM 2.0 ephemeris (TEME) for a liftoff at launch_epoch "
           "(UTC, as 2026-12-08T14:30:00Z)")
      .def("__repr__", &flight_text);

  m.def(
      "flight_page",
      [](const std::string& title, const studies::Facts& run, const studies::Facts& results,
         const Flight* flight) {
        return studies::flight_page(title, run, results, flight ? &flight->recorder() : nullptr);
      },
      py::arg("title"), py::arg("run"), py::arg("results"), py::arg("flight"),
      "The HTML page of a flight, as ascent-trim --report writes it");
  m.def(
      "fly",
      [](Vehicle vehicle, const ThrustHistory& thrust, double turn_time, double maxa, bool history,
         double launch_longitude, bool wgs84) {
        const py::gil_scoped_release flying;
        return std::make_unique<Flight>(vehicle, thrust, FlightPlan{turn_time, maxa, {}}, history,
                                        studies::GroundSettings{launch_longitude, wgs84});
      },
      py::arg("vehicle"), py::arg("thrust"), py::arg("turn_time"), py::arg("maxa"),
      py::arg("history"), py::arg("launch_longitude") = studies::DEFAULT_LAUNCH_LONGITUDE,
      py::arg("wgs84") = false,
      "One flight of the library, its steps recorded when `history`; the ground under it from "
      "the pad's longitude [deg], on WGS84 or the flight's sphere");
}

}  // namespace ascent::python
