// ThrustHistory: read from a booster thrust file or built from arrays, its
// records as a numpy array. Pickled with the reason its records end, so that
// a copy in another process fails a flight exactly as the original does.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <string>
#include <vector>

#include "base/fixed_text.hpp"
#include "bindings.hpp"
#include "mission/thrust_history.hpp"

namespace py = pybind11;

namespace ascent::python {

namespace {

using Column = py::array_t<double, py::array::c_style | py::array::forcecast>;

std::vector<ThrustRecord> records_of(const Column& times, const Column& thrusts) {
  if (times.ndim() != 1 || thrusts.ndim() != 1 || times.size() != thrusts.size()) {
    throw py::value_error("times and thrusts must be two sequences of the same length");
  }
  std::vector<ThrustRecord> records;
  records.reserve(static_cast<std::size_t>(times.size()));
  for (py::ssize_t i = 0; i < times.size(); ++i) records.push_back({times.at(i), thrusts.at(i)});
  return records;
}

/// The records as an (n, 2) array of time [s] and thrust [N].
py::array_t<double> record_array(const ThrustHistory& history) {
  const std::vector<ThrustRecord>& records = history.records();
  py::array_t<double> array({static_cast<py::ssize_t>(records.size()), py::ssize_t{2}});
  auto cells = array.mutable_unchecked<2>();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto row = static_cast<py::ssize_t>(i);
    cells(row, 0) = records[i].t.value();
    cells(row, 1) = records[i].thrust.value();
  }
  return array;
}

py::tuple state_of(const ThrustHistory& history) {
  return py::make_tuple(history.name(), record_array(history),
                        static_cast<int>(history.stop_code()), history.stop_message());
}

/// The error a pickled history ends with, when it is one a history can end with.
ErrorCode stop_code_of(int code) {
  for (const ErrorCode known :
       {ErrorCode::file_not_found, ErrorCode::path_not_found, ErrorCode::too_many_open_files,
        ErrorCode::access_denied, ErrorCode::read_error, ErrorCode::invalid_numeric_format,
        ErrorCode::range_check}) {
    if (code == static_cast<int>(known)) return known;
  }
  throw py::value_error("not the state of a ThrustHistory: no such stop code " +
                        std::to_string(code));
}

/// A history from its pickled state, its records checked as a file's are.
ThrustHistory history_from(const py::tuple& state) {
  if (state.size() != 4) throw py::value_error("not the state of a ThrustHistory");
  const auto array = state[1].cast<Column>();
  if (array.ndim() != 2 || array.shape(1) != 2) {
    throw py::value_error("not the state of a ThrustHistory");
  }
  const auto cells = array.unchecked<2>();
  std::vector<ThrustRecord> records;
  for (py::ssize_t row = 0; row < cells.shape(0); ++row) {
    records.push_back({cells(row, 0), cells(row, 1)});
  }
  const ErrorCode stop = stop_code_of(state[2].cast<int>());
  const auto message = state[3].cast<std::string>();
  if (message.empty()) throw py::value_error("not the state of a ThrustHistory: no stop message");
  return ThrustHistory::from_records(records, state[0].cast<std::string>()).ending(stop, message);
}

std::string history_text(const ThrustHistory& history) {
  const std::vector<ThrustRecord>& records = history.records();
  std::string text =
      "ThrustHistory(\"" + history.name() + "\", " + std::to_string(records.size()) + " records";
  if (!records.empty()) {
    text +=
        ", " + fixed_text(records.front().t, 2) + " s to " + fixed_text(records.back().t, 2) + " s";
  }
  return text + ")";
}

}  // namespace

void bind_thrust(py::module_& m) {
  py::class_<ThrustHistory>(m, "ThrustHistory",
                            "The thrust history of one booster: records of mission time [s] "
                            "and vacuum thrust [N]")
      .def_static("read", &ThrustHistory::read, py::arg("path"),
                  "Reads a booster thrust file (str or os.PathLike). A file that cannot be "
                  "opened raises FileNotFoundError or PermissionError; records that cannot be "
                  "flown fail the flight that needs them (FlightError)")
      .def_static(
          "from_records",
          [](const Column& times, const Column& thrusts, std::string name) {
            return ThrustHistory::from_records(records_of(times, thrusts), std::move(name));
          },
          py::arg("times"), py::arg("thrusts"), py::arg("name") = std::string(RECORDS_IN_MEMORY),
          "A history from times [s] and thrusts [N], checked as a file's records are")
      .def("scaled", &ThrustHistory::scaled, py::arg("factor"),
           "The same history with every thrust multiplied by `factor` (> 0)")
      .def_property_readonly("records", &record_array, "(n, 2) array: time [s], thrust [N]")
      .def_property_readonly("name", &ThrustHistory::name, "the file's path, or a name given")
      .def("__len__", [](const ThrustHistory& h) { return h.records().size(); })
      .def("__repr__", &history_text)
      .def(py::pickle(&state_of, &history_from));
}

}  // namespace ascent::python
