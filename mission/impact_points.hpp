// Where every element a flight drops comes down: each jettisoned element
// falls ballistically from its jettison state (mission/ballistic_fall.hpp).
#pragma once

#include <string>
#include <vector>

#include "mission/ballistic_fall.hpp"

namespace ascent {

/// An element leaving the vehicle: its name, the moment, its state and mass, its drag.
struct Jettison {
  std::string element;   ///< "boosters", "fairing", "core stage"
  double time = 0.0;     ///< [s] since launch
  PointMassState state;  ///< inertial, with the element's own mass [kg]
  DragModel drag;        ///< its own reference area and drag coefficient
};

struct ElementImpact {
  std::string element;
  ImpactPoint impact;
};

/// The impact point of each jettisoned element, in their order.
[[nodiscard]] std::vector<ElementImpact> impact_points(const std::vector<Jettison>& jettisons,
                                                       const FallWorld& world);

}  // namespace ascent
