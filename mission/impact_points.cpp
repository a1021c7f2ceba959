#include "mission/impact_points.hpp"

namespace ascent {

std::vector<ElementImpact> impact_points(const std::vector<Jettison>& jettisons,
                                         const FallWorld& world) {
  std::vector<ElementImpact> impacts;
  impacts.reserve(jettisons.size());
  for (const Jettison& jettison : jettisons) {
    impacts.push_back({jettison.element, ballistic_fall({jettison.state.mass, jettison.drag},
                                                        jettison.time, jettison.state, world)});
  }
  return impacts;
}

}  // namespace ascent
