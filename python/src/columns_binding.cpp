// The column names the package shares with ascent-trim's CSV files, each
// with its unit, and the DataFrames that carry those units in their attrs.
#include <array>
#include <span>
#include <string>
#include <utility>

#include "bindings.hpp"
#include "studies/staged_history.hpp"
#include "studies/columns.hpp"

namespace py = pybind11;

namespace ascent::python {

using studies::Column;

namespace {

using ColumnList = std::span<const Column> (*)();

constexpr std::array<std::pair<const char*, ColumnList>, 8> LISTS{{
    {"history", &studies::history_columns},
    {"trim", &studies::trim_columns},
    {"case", &studies::case_columns},
    {"event", &studies::event_columns},
    {"staged_history", &studies::staged_history_columns},
    {"staged_event", &studies::staged_event_columns},
    {"sensitivity", &studies::sensitivity_columns},
    {"impact", &studies::impact_columns},
}};

/// Every column's unit by its name.
py::dict units() {
  py::dict units;
  for (const auto& [kind, columns] : LISTS) {
    for (const Column& c : columns()) units[py::str(std::string(c.name))] = std::string(c.unit);
  }
  return units;
}

}  // namespace

py::object data_frame(const py::dict& columns) {
  py::object frame = py::module_::import("pandas").attr("DataFrame")(columns);
  const py::dict known = units();
  py::dict frame_units;
  for (const auto& [name, values] : columns) {
    if (known.contains(name)) frame_units[name] = known[name];
  }
  frame.attr("attrs")["units"] = frame_units;
  return frame;
}

void bind_columns(py::module_& m) {
  py::dict lists;
  for (const auto& [kind, columns] : LISTS) {
    py::list names;
    for (const Column& c : columns()) names.append(std::string(c.name));
    lists[kind] = names;
  }
  m.attr("COLUMNS") = lists;
  m.attr("UNITS") = units();
}

}  // namespace ascent::python
