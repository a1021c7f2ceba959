// A flight flown to booster separation, to be continued at any number of
// maximum angles of attack. The angle applies only from booster separation
// on, so the flights of a trim, which share the vehicle, the thrust history,
// the turn time and the air model, fly the booster phase once between them.
//
//   const ascent::FlightAtSeparation at_separation(vehicle, thrust, 20.0);
//   for (double maxa : {16.0, 18.0}) results.push_back(at_separation.fly_on(maxa));
#pragma once

#include <optional>

#include "base/runtime_error.hpp"
#include "mission/flight.hpp"

namespace ascent {

class FlightAtSeparation {
 public:
  /// Flies the booster phase of `turn_time` [s] with the air model's
  /// `aero` scales. The vehicle and the thrust history are kept by
  /// reference and must outlive this value. A turn time or a scale that
  /// `fly` refuses throws InputError here; a flight that ends early, or a
  /// thrust history that cannot be flown, is kept for `fly_on` to give.
  FlightAtSeparation(const Vehicle& vehicle, const ThrustHistory& thrust, double turn_time,
                     const AeroScales& aero = {});
  // Kept by reference: no temporaries.
  FlightAtSeparation(const Vehicle&&, const ThrustHistory&, double,
                     const AeroScales& = {}) = delete;
  FlightAtSeparation(const Vehicle&, const ThrustHistory&&, double,
                     const AeroScales& = {}) = delete;

  /// The flight at `maxa` [deg]: the same result, to the last bit, as `fly`
  /// with this vehicle, thrust history, turn time, scales and angle, and the
  /// same FlightError when the booster phase cannot be flown. An observer
  /// must see every step from the pad on: the flight is then flown whole.
  /// Only reads this value, so threads may share it.
  [[nodiscard]] FlightResult fly_on(double maxa, FlightObserver* observer = nullptr) const;

  [[nodiscard]] const Vehicle& vehicle() const { return *vehicle_; }

 private:
  const Vehicle* vehicle_;
  const ThrustHistory* thrust_;
  FlightPlan plan_;
  /// The flight so far; when it ended before separation, its whole result.
  FlightResult result_;
  bool separated_ = false;
  FlightState state_;                   ///< at booster separation
  std::optional<FlightError> failure_;  ///< why the booster phase cannot be flown
};

}  // namespace ascent
