#include "mission/staged_impacts.hpp"

#include <string>

namespace ascent {

namespace {

/// [m^2] the vehicle's reference area at mission time `t`: that of the last
/// aerodynamic configuration set before it.
double reference_area_at(const StagedVehicle& vehicle, const StagedResult& result, double t) {
  std::size_t configuration = 0;
  const std::string prefix = "aerodynamics.";
  for (const StagedEvent& event : result.events) {
    if (event.t > t) break;
    if (event.name.rfind(prefix, 0) == 0) {
      configuration = std::stoul(event.name.substr(prefix.size())) - 1;
    }
  }
  return configuration < vehicle.aerodynamics.size()
             ? vehicle.aerodynamics[configuration].drag.reference_area
             : 0.0;
}

}  // namespace

FallWorld staged_fall_world(const StagedVehicle& vehicle, bool wgs84) {
  const EarthFigure figure =
      wgs84 ? EarthFigure::wgs84() : EarthFigure::sphere(vehicle.earth.equatorial_radius);
  return {vehicle.earth,
          vehicle.air,
          GroundFrame(figure, vehicle.earth.rotation_rate),
          {vehicle.site.latitude, vehicle.site.longitude, 0.0}};
}

std::vector<Jettison> staged_jettisons(const StagedVehicle& vehicle, const StagedResult& result) {
  std::vector<Jettison> dropped;
  for (const StagedEvent& event : result.events) {
    const std::optional<std::size_t> index = vehicle.element_named(event.element);
    if (!index || event.name != event.element + ".jettison") continue;
    const Element& element = vehicle.elements[*index];
    PointMassState state = event.state;
    state.mass = event.dropped_mass / element.count;
    dropped.push_back(
        {element.name,
         event.t,
         state,
         {reference_area_at(vehicle, result, event.t), DEFAULT_FALL_DRAG_COEFFICIENT, {}}});
  }
  return dropped;
}

}  // namespace ascent
