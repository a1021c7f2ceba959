// Whether a staged vehicle and a plan can be flown, checked before any
// flight: numbers out of range, no engine, a trigger that names no element
// or waits on itself through others, a jettison before the ignition, an
// inclination the launch latitude cannot reach without a plane change.
#pragma once

#include <optional>
#include <string>

#include "mission/staged_flight.hpp"
#include "mission/staged_vehicle.hpp"

namespace ascent {

/// What cannot be flown, and where: "target.inclination",
/// "element.<name>.jettison", "phase.<name>.until", "aerodynamics.<n>.from", ...
struct StagedFault {
  std::string field;
  std::string what;
};

[[nodiscard]] std::optional<StagedFault> staged_vehicle_fault(const StagedVehicle& vehicle);
[[nodiscard]] std::optional<StagedFault> staged_plan_fault(const StagedVehicle& vehicle,
                                                           const StagedPlan& plan);

/// "element.<name>.<key>": the field of an element's key in faults.
[[nodiscard]] std::string element_field(const Element& e, const std::string& key);
/// The field of a burn's key: the element's for the first burn (k = 0),
/// "element.<name>.relights.<k>.<key>" for the k-th relight.
[[nodiscard]] std::string burn_field(const Element& e, std::size_t burn, const std::string& key);
/// "phase.<name>.<key>".
[[nodiscard]] std::string phase_field(const Phase& p, const std::string& key);

}  // namespace ascent
