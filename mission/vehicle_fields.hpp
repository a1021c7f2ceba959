// Every number of a Vehicle by name: "group.key" as a vehicle deck writes it
// (boosters.propellant, upper_stage.dry_mass, target.altitude, ...), with its
// unit and the range a vehicle that can be flown keeps it in. The deck
// reader, dispersion studies and scripts address the vehicle through it.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "mission/vehicle.hpp"

namespace ascent {

struct VehicleField {
  std::string_view group;  ///< the deck's table: "boosters"
  std::string_view key;    ///< the key in it: "propellant"
  std::string_view unit;   ///< "kg", "m/s", ... ("1" for a pure number)
  std::string_view what;   ///< a few words for messages and comments
  double minimum;          ///< smallest value that can be flown
  double maximum;          ///< largest value that can be flown
  bool whole = false;      ///< a count: a whole number
  /// A deck may leave it out: the built-in vehicle's value then holds.
  bool optional = false;
  /// Reads and writes the field of a vehicle.
  double (*get)(const Vehicle&);
  void (*set)(Vehicle&, double);

  /// "group.key".
  [[nodiscard]] std::string name() const;
};

/// Every field, in the order of the deck.
[[nodiscard]] std::span<const VehicleField> vehicle_fields();

/// The field named "group.key", or null.
[[nodiscard]] const VehicleField* find_vehicle_field(std::string_view name);

}  // namespace ascent
