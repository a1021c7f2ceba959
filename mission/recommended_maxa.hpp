// The recommended maximum angle of attack: a secant over the runs of one turn
// time, solved for the target altitude, the first one through the origin. It
// is the memory a session keeps from run to run, not part of any flight.
#pragma once

#include "base/real.hpp"

namespace ascent {

class RecommendedMaxa {
 public:
  /// A new turn time: the secant starts again from the origin. The last
  /// recommendation stays until a run of the new turn time replaces it.
  void restart();
  /// Takes in a run flown at `maxa` [rad] that reached `average_altitude` [m].
  /// A run that reaches the same altitude as the one before leaves the secant
  /// as it is (it has no slope to offer).
  void add_run(Real maxa, Real average_altitude, Real target_altitude);
  /// [rad] the angle the next run should take.
  [[nodiscard]] Real recommended() const { return recommended_; }

 private:
  Real previous_maxa_;
  Real previous_average_altitude_;
  Real recommended_;
};

}  // namespace ascent
