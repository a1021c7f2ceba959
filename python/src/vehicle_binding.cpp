// Vehicle: every field by its deck name, v["boosters.propellant"], and by
// group, v.boosters.propellant, each checked against the range that can be
// flown; read from and saved as a vehicle deck. Pickled as the values of its
// fields.
#include <pybind11/operators.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "base/runtime_error.hpp"
#include "bindings.hpp"
#include "deck/field_value.hpp"
#include "deck/shortest_text.hpp"
#include "deck/vehicle_checks.hpp"
#include "deck/vehicle_deck.hpp"
#include "mission/vehicle_fields.hpp"
#include "text/text_channel.hpp"

namespace py = pybind11;

namespace ascent::python {

namespace {

const VehicleField& field_named(std::string_view name) {
  const VehicleField* field = find_vehicle_field(name);
  if (field == nullptr) throw py::key_error("no vehicle field \"" + std::string(name) + "\"");
  return *field;
}

bool is_group(std::string_view group) {
  for (const VehicleField& field : vehicle_fields()) {
    if (field.group == group) return true;
  }
  return false;
}

py::object value_of(const Vehicle& vehicle, const VehicleField& field) {
  const double value = field.get(vehicle);
  if (field.whole) return py::int_(static_cast<long long>(value));
  return py::float_(value);
}

std::string with_unit(double value, const VehicleField& field) {
  return shortest_text(value) + (field.unit == "1" ? "" : " " + std::string(field.unit));
}

void assign(Vehicle& vehicle, const VehicleField& field, double value) {
  if (std::string fault = field_value_fault(field, value); !fault.empty()) {
    throw py::value_error(fault);
  }
  field.set(vehicle, value);
}

py::dict field_values(const Vehicle& vehicle) {
  py::dict values;
  for (const VehicleField& field : vehicle_fields()) {
    values[py::str(field.name())] = value_of(vehicle, field);
  }
  return values;
}

Vehicle vehicle_from(const py::dict& values) {
  Vehicle vehicle;
  for (const auto& [name, value] : values) {
    assign(vehicle, field_named(name.cast<std::string>()), value.cast<double>());
  }
  return vehicle;
}

/// Vehicle(boosters.propellant=640000 kg): the fields that differ from the default vehicle.
std::string vehicle_text(const Vehicle& vehicle) {
  const Vehicle standard;
  std::string text = "Vehicle(";
  std::string_view separator;
  for (const VehicleField& field : vehicle_fields()) {
    const double value = field.get(vehicle);
    if (value == field.get(standard)) continue;
    text += std::string(separator) + field.name() + "=" + with_unit(value, field);
    separator = ", ";
  }
  return text + ")";
}

/// Reads the deck at `path`; a deck that cannot be opened raises OSError
/// (FileNotFoundError when there is none), one that cannot be flown ValueError.
Vehicle load_deck(const std::filesystem::path& path) {
  try {
    return read_vehicle_deck(path);
  } catch (const DeckError& error) {
    if (!error.place().file.empty()) throw;  // a place in the file: translated as ValueError
    const bool missing = !std::filesystem::exists(path);
    PyErr_SetString(missing ? PyExc_FileNotFoundError : PyExc_OSError, error.what());
    throw py::error_already_set();
  }
}

/// Writes the deck to a new file beside `path`, on disk before it is renamed
/// over it: a full disk or a crash leaves the old deck whole, never cut.
void save_deck(const Vehicle& vehicle, const std::filesystem::path& path) {
  try {
    TextChannel deck = TextChannel::replace(path);
    deck.write(vehicle_deck_text(vehicle));
    deck.close();
  } catch (const RuntimeError& failure) {
    PyErr_SetString(PyExc_OSError, failure.what());
    throw py::error_already_set();
  }
}

/// Raises ValueError when values of the vehicle contradict each other.
void check(const Vehicle& vehicle) {
  if (const auto conflict = vehicle_conflict(vehicle)) throw py::value_error(conflict->what);
}

/// One group of a vehicle's fields, `vehicle.boosters`: reads and writes the vehicle itself.
struct VehicleGroup {
  py::object vehicle;
  std::string group;

  [[nodiscard]] const VehicleField& field(const std::string& key) const {
    const VehicleField* found = find_vehicle_field(group + "." + key);
    if (found == nullptr)
      throw py::attribute_error("no vehicle field \"" + group + "." + key + "\"");
    return *found;
  }
  [[nodiscard]] Vehicle& target() const { return vehicle.cast<Vehicle&>(); }
};

std::string group_text(const VehicleGroup& group) {
  std::string text = group.group + "(";
  std::string_view separator;
  for (const VehicleField& field : vehicle_fields()) {
    if (field.group != group.group) continue;
    text += std::string(separator) + std::string(field.key) + "=" +
            with_unit(field.get(group.target()), field);
    separator = ", ";
  }
  return text + ")";
}

}  // namespace

void bind_vehicle(py::module_& m) {
  py::class_<VehicleField>(m, "VehicleField", "A number of the vehicle, by its deck name")
      .def_property_readonly("name", &VehicleField::name, "\"group.key\"")
      .def_property_readonly("group", [](const VehicleField& f) { return std::string(f.group); })
      .def_property_readonly("key", [](const VehicleField& f) { return std::string(f.key); })
      .def_property_readonly("unit", [](const VehicleField& f) { return std::string(f.unit); })
      .def_property_readonly("description",
                             [](const VehicleField& f) { return std::string(f.what); })
      .def_readonly("minimum", &VehicleField::minimum)
      .def_readonly("maximum", &VehicleField::maximum)
      .def_readonly("whole", &VehicleField::whole, "a count: a whole number")
      .def("__repr__", [](const VehicleField& f) {
        return "VehicleField(" + f.name() + " [" + std::string(f.unit) +
               "]: " + std::string(f.what) + ")";
      });

  py::class_<VehicleGroup>(m, "VehicleGroup", "The fields of one group of a vehicle")
      .def("__getattr__", [](const VehicleGroup& g,
                             const std::string& key) { return value_of(g.target(), g.field(key)); })
      .def("__setattr__", [](const VehicleGroup& g, const std::string& key,
                             double value) { assign(g.target(), g.field(key), value); })
      .def("__dir__",
           [](const VehicleGroup& g) {
             py::list keys;
             for (const VehicleField& field : vehicle_fields()) {
               if (field.group == g.group) keys.append(py::str(std::string(field.key)));
             }
             return keys;
           })
      .def("__repr__", &group_text);

  py::class_<Vehicle>(m, "Vehicle",
                      "A launch vehicle: every number a flight uses, by its deck name "
                      "(v[\"boosters.propellant\"]) or group (v.boosters.propellant)")
      .def(py::init<>(), "The default vehicle, the one the sample thrust file was designed for")
      .def(py::init<const Vehicle&>(), py::arg("other"), "A copy of `other`")
      .def("__getitem__",
           [](const Vehicle& v, const std::string& name) { return value_of(v, field_named(name)); })
      .def("__setitem__", [](Vehicle& v, const std::string& name,
                             double value) { assign(v, field_named(name), value); })
      .def("__getattr__",
           [](py::object self, const std::string& group) {
             if (!is_group(group))
               throw py::attribute_error("Vehicle has no group \"" + group + "\"");
             return VehicleGroup{std::move(self), group};
           })
      .def("__dir__",
           [](py::object self) {
             py::list names = py::module_::import("builtins").attr("object").attr("__dir__")(self);
             std::string_view last;
             for (const VehicleField& field : vehicle_fields()) {
               if (field.group != last) names.append(py::str(std::string(field.group)));
               last = field.group;
             }
             return names;
           })
      .def_static(
          "fields",
          [] {
            py::list fields;
            for (const VehicleField& field : vehicle_fields()) {
              fields.append(py::cast(&field, py::return_value_policy::reference));
            }
            return fields;
          },
          "Every field, in the order of the deck, with its unit and range")
      .def_static("load", &load_deck, py::arg("path"),
                  "Reads a vehicle deck (TOML); ValueError with file, line and column when it "
                  "cannot be flown")
      .def_static("loads", &read_vehicle_deck_text, py::arg("text"), py::arg("file") = "<string>",
                  "A vehicle from the text of a deck; `file` names it in messages")
      .def("deck", &vehicle_deck_text, "The vehicle's deck, every key with its unit")
      .def("save", &save_deck, py::arg("path"), "Writes the vehicle's deck to `path`")
      .def("check", &check,
           "Raises ValueError when values contradict each other (a nozzle wider than its stage...)")
      .def("to_dict", &field_values, "{deck name: value} of every field")
      .def_static("from_dict", &vehicle_from, py::arg("values"),
                  "The default vehicle with the fields named in `values` set")
      .def(py::self == py::self)
      .def("__repr__", &vehicle_text)
      .def(py::pickle(&field_values, &vehicle_from));
}

}  // namespace ascent::python
