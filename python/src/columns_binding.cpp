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

namespace {

using ColumnList = std::span<const Column> (*)();

constexpr std::array<std::pair<const char*, ColumnList>, 7> LISTS{{
    {"history", &history_columns},
    {"trim", &trim_columns},
    {"case", &case_columns},
    {"event", &event_columns},
    {"staged_history", &staged_history_columns},
    {"staged_event", &staged_event_columns},
    {"sensitivity", &sensitivity_columns},
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
