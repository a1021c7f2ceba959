#include "studies/staged_ground.hpp"

#include "mission/staged_impacts.hpp"

namespace ascent::studies {

std::vector<ImpactRecord> staged_impacts(const StagedVehicle& vehicle, const StagedResult& result,
                                         bool wgs84) {
  const FallWorld world = staged_fall_world(vehicle, wgs84);
  return impact_records(impact_points(staged_jettisons(vehicle, result), world));
}

KmlDocument staged_map(const StagedVehicle& vehicle, const StagedResult& result,
                       const std::vector<ImpactRecord>& impacts, bool wgs84) {
  const FallWorld world = staged_fall_world(vehicle, wgs84);
  std::vector<Geodetic> track;
  track.reserve(result.history.size());
  for (const StagedSample& sample : result.history) {
    track.push_back(world.ground.geodetic(sample.state.position, sample.t));
  }
  return flight_map(vehicle.name.empty() ? "ascent" : vehicle.name, std::move(track), impacts);
}

OrbitEphemeris staged_ephemeris(const StagedResult& result, const UtcTime& launch) {
  std::vector<TimedState> states;
  states.reserve(result.history.size());
  for (const StagedSample& sample : result.history) {
    states.push_back({sample.t, sample.state.position, sample.state.velocity});
  }
  return teme_ephemeris(states, launch);
}

}  // namespace ascent::studies
