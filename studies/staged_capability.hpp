// The largest payload a staged vehicle takes to its target: each point a
// whole flight of the deck, the payload bracketed and then bisected to the
// largest that ends in orbit with the stated propellant reserve.
#pragma once

#include <functional>

#include "mission/staged_flight.hpp"

namespace ascent::studies {

/// [kg] the bisection stops when the bracket is this narrow.
inline constexpr double CAPABILITY_RESOLUTION = 1.0;

struct CapabilityResult {
  bool feasible = false;   ///< some payload (0 kg at least) reaches orbit with the reserve
  double payload = 0.0;    ///< [kg] the largest such payload found
  double margin = 0.0;     ///< [kg] propellant left at its cutoff beyond the reserve
  int flights = 0;         ///< whole flights flown
  StagedResult flight;     ///< the flight of that payload (of 0 kg when none is feasible)
};

/// The largest payload with `reserve` [kg] (0 or more) of propellant left;
/// `on_flight` (may be empty) hears of each flight and may throw to stop.
[[nodiscard]] CapabilityResult staged_capability(
    const StagedVehicle& vehicle, double reserve,
    const std::function<void(double payload, const StagedResult&)>& on_flight = {});

}  // namespace ascent::studies
