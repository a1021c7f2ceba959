// The flight library: one flight of a vehicle, with a booster thrust
// history, for a flight plan. `fly` touches no file, stream or global; any
// number of flights may run at once on threads.
//
//   const ascent::ThrustHistory thrust = ascent::ThrustHistory::read("s1.dat");
//   const ascent::FlightResult result = ascent::fly(ascent::Vehicle{}, thrust, {20.0, 18.0});
//
// Flights that differ only in the maximum angle of attack can share their
// booster phase: mission/flight_at_separation.hpp.
#pragma once

#include <functional>

#include "mission/flight_event.hpp"
#include "mission/flight_result.hpp"
#include "mission/thrust_history.hpp"
#include "mission/vehicle.hpp"

namespace ascent {

/// Multipliers on the air model for a dispersed flight: the uncertainty of
/// the drag coefficient and of the air density about the model's values.
/// The default 1 flies the model exactly as it is.
struct AeroScales {
  double drag = 1.0;     ///< [1] on the drag coefficient at every Mach number
  double density = 1.0;  ///< [1] on the air density at every altitude (also the dynamic pressure)

  bool operator==(const AeroScales&) const = default;
};

struct FlightPlan {
  double turn_time = 20.0;  ///< [s] hold after the pitch-over kick, at least 1
  double maxa = 18.0;       ///< [deg] largest angle of attack of the closed-loop steering
  /// When set, called at booster separation for the maximum angle of
  /// attack [deg] instead of taking `maxa` (the dialogue asks the user then).
  std::function<double()> maxa_at_separation;
  AeroScales aero{};  ///< scales of the drag coefficient and the air density
};

/// Flies one flight. A flight that ends early for a reason of the plan or
/// the vehicle comes back with its end (FlightResult::end); a thrust history
/// that cannot be flown throws FlightError (201, or the error that stopped
/// its reading); a turn time below 1 s or not a number, a maximum angle of
/// attack that is not a number, or an air-model scale below 0 or not
/// finite, throws InputError.
[[nodiscard]] FlightResult fly(const Vehicle& vehicle, const ThrustHistory& thrust,
                               const FlightPlan& plan, FlightObserver* observer = nullptr);

}  // namespace ascent
