// The ground under a staged flight: where the elements it drops come down,
// its map and its ephemeris, in the forms the built-in vehicle's have
// (studies/flight_ground.hpp).
#pragma once

#include <vector>

#include "mission/staged_flight.hpp"
#include "studies/flight_ground.hpp"

namespace ascent::studies {

/// Where the elements the flight drops come down, on the vehicle's sphere or on WGS84.
[[nodiscard]] std::vector<ImpactRecord> staged_impacts(const StagedVehicle& vehicle,
                                                       const StagedResult& result, bool wgs84);

/// The flight's track (its history) at its altitude, and its impact points.
[[nodiscard]] KmlDocument staged_map(const StagedVehicle& vehicle, const StagedResult& result,
                                     const std::vector<ImpactRecord>& impacts, bool wgs84);

/// The flight's history as an ephemeris in TEME, for a liftoff at `launch`.
[[nodiscard]] OrbitEphemeris staged_ephemeris(const StagedResult& result, const UtcTime& launch);

}  // namespace ascent::studies
