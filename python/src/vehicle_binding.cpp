// Vehicle: every key of its deck by name, v["boosters.propellant"], and by
// group, v.boosters.propellant, each checked against the range that can be
// flown; the apsides of an elliptic target (None without one) and the upper
// stage's guidance by name too; read from and saved as a vehicle deck.
// Pickled and copied as the values of all its keys.
#include <pybind11/operators.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/runtime_error.hpp"
#include "bindings.hpp"
#include "deck/field_value.hpp"
#include "deck/guidance_names.hpp"
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
  if (field == nullptr) field = find_optional_vehicle_field(name);
  if (field == nullptr) throw py::key_error("no vehicle field \"" + std::string(name) + "\"");
  return *field;
}

/// Every key of a vehicle, in the deck's order: its numbers, the apsides of
/// an elliptic target, and how the upper stage steers.
std::vector<std::string> vehicle_keys() {
  std::vector<std::string> keys;
  for (const VehicleField& field : vehicle_fields()) keys.push_back(field.name());
  for (const VehicleField& field : optional_vehicle_fields()) keys.push_back(field.name());
  keys.emplace_back(GUIDANCE_KEY);
  return keys;
}

bool is_group(std::string_view group) {
  for (const std::string& key : vehicle_keys()) {
    if (key.starts_with(group) && key.size() > group.size() && key[group.size()] == '.') {
      return true;
    }
  }
  return false;
}

/// v[key]: a number; None for an apsis of an elliptic target the vehicle
/// has none of; the guidance's name.
py::object value_of(const Vehicle& vehicle, std::string_view key) {
  if (key == GUIDANCE_KEY) return py::str(std::string(guidance_name(vehicle.upper_stage.guidance)));
  const VehicleField& field = field_named(key);
  const double value = field.get(vehicle);
  if (find_optional_vehicle_field(key) != nullptr && value == 0.0) return py::none();
  if (field.whole) return py::int_(static_cast<long long>(value));
  return py::float_(value);
}

std::string with_unit(double value, const VehicleField& field) {
  return shortest_text(value) + (field.unit == "1" ? "" : " " + std::string(field.unit));
}

/// The value of v[key] as the deck would write it, with its unit.
std::string value_text(const Vehicle& vehicle, std::string_view key) {
  if (key == GUIDANCE_KEY) return std::string(guidance_name(vehicle.upper_stage.guidance));
  const py::object value = value_of(vehicle, key);
  if (value.is_none()) return "None";
  const VehicleField& field = field_named(key);
  return with_unit(field.get(vehicle), field);
}

double number_of(std::string_view key, const py::handle& value) {
  if (py::isinstance<py::bool_>(value) || PyNumber_Check(value.ptr()) == 0) {
    throw py::type_error(std::string(key) + " must be a number, not " +
                         std::string(py::str(value.get_type().attr("__name__"))));
  }
  return value.cast<double>();
}

/// v[key] = value, checked as a deck's value is: a number in the field's
/// range; None to leave out an apsis of an elliptic target; the name of a guidance.
void assign(Vehicle& vehicle, std::string_view key, const py::handle& value) {
  if (key == GUIDANCE_KEY) {
    const std::optional<UpperStageGuidance> guidance =
        py::isinstance<py::str>(value) ? guidance_named(value.cast<std::string>()) : std::nullopt;
    if (!guidance) {
      const std::string must = std::string(GUIDANCE_KEY) + " must be " + guidance_names_text();
      if (!py::isinstance<py::str>(value)) throw py::type_error(must);
      throw py::value_error(must + ", not \"" + value.cast<std::string>() + "\"");
    }
    vehicle.upper_stage.guidance = *guidance;
    return;
  }
  const VehicleField& field = field_named(key);
  if (value.is_none() && find_optional_vehicle_field(key) != nullptr) {
    field.set(vehicle, 0.0);
    return;
  }
  const double number = number_of(key, value);
  if (std::string fault = field_value_fault(field, number); !fault.empty()) {
    throw py::value_error(fault);
  }
  field.set(vehicle, number);
}

py::dict field_values(const Vehicle& vehicle) {
  py::dict values;
  for (const std::string& key : vehicle_keys()) values[py::str(key)] = value_of(vehicle, key);
  return values;
}

Vehicle vehicle_from(const py::dict& values) {
  Vehicle vehicle;
  for (const auto& [name, value] : values) assign(vehicle, name.cast<std::string>(), value);
  return vehicle;
}

/// Vehicle(boosters.propellant=640000 kg): the fields that differ from the default vehicle.
std::string vehicle_text(const Vehicle& vehicle) {
  const Vehicle standard;
  std::string text = "Vehicle(";
  std::string_view separator;
  for (const std::string& key : vehicle_keys()) {
    const std::string value = value_text(vehicle, key);
    if (value == value_text(standard, key)) continue;
    text += std::string(separator) + key + "=" + value;
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

  /// "group.key", or AttributeError when the group has no such key.
  [[nodiscard]] std::string key(const std::string& name) const {
    std::string full = group + "." + name;
    const std::vector<std::string> keys = vehicle_keys();
    if (std::find(keys.begin(), keys.end(), full) == keys.end()) {
      throw py::attribute_error("no vehicle field \"" + full + "\"");
    }
    return full;
  }
  /// The keys of the group, without the group's name.
  [[nodiscard]] std::vector<std::string> names() const {
    std::vector<std::string> names;
    for (const std::string& key : vehicle_keys()) {
      if (key.starts_with(group + ".")) names.push_back(key.substr(group.size() + 1));
    }
    return names;
  }
  [[nodiscard]] Vehicle& target() const { return vehicle.cast<Vehicle&>(); }
};

std::string group_text(const VehicleGroup& group) {
  std::string text = group.group + "(";
  std::string_view separator;
  for (const std::string& name : group.names()) {
    text += std::string(separator) + name + "=" + value_text(group.target(), group.key(name));
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
                             const std::string& name) { return value_of(g.target(), g.key(name)); })
      .def("__setattr__", [](const VehicleGroup& g, const std::string& name,
                             const py::object& value) { assign(g.target(), g.key(name), value); })
      .def("__dir__", &VehicleGroup::names)
      .def("__repr__", &group_text);

  py::class_<Vehicle>(m, "Vehicle",
                      "A launch vehicle: every number a flight uses, by its deck name "
                      "(v[\"boosters.propellant\"]) or group (v.boosters.propellant)")
      .def(py::init<>(), "The default vehicle, the one the sample thrust file was designed for")
      .def(py::init<const Vehicle&>(), py::arg("other"), "A copy of `other`")
      .def("__getitem__", [](const Vehicle& v, const std::string& key) { return value_of(v, key); })
      .def("__setitem__", [](Vehicle& v, const std::string& key,
                             const py::object& value) { assign(v, key, value); })
      .def("__getattr__",
           [](py::object self, const std::string& group) {
             if (!is_group(group))
               throw py::attribute_error("Vehicle has no group \"" + group + "\"");
             return VehicleGroup{std::move(self), group};
           })
      .def("__dir__",
           [](py::object self) {
             py::list names = py::module_::import("builtins").attr("object").attr("__dir__")(self);
             std::vector<std::string> groups;
             for (const std::string& key : vehicle_keys()) {
               std::string group = key.substr(0, key.find('.'));
               if (std::find(groups.begin(), groups.end(), group) == groups.end()) {
                 names.append(py::str(group));
                 groups.push_back(std::move(group));
               }
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
      .def("to_dict", &field_values,
           "{deck name: value} of every field, target.perigee and target.apogee (None "
           "without an elliptic target) and upper_stage.guidance (its name)")
      .def_static("from_dict", &vehicle_from, py::arg("values"),
                  "The default vehicle with the fields named in `values` set")
      .def(py::self == py::self)
      .def("__repr__", &vehicle_text)
      .def(py::pickle(&field_values, &vehicle_from));
}

}  // namespace ascent::python
