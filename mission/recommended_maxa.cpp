#include "mission/recommended_maxa.hpp"

namespace ascent {

void RecommendedMaxa::restart() {
  previous_maxa_ = 0.0L;
  previous_average_altitude_ = 0.0L;
}

void RecommendedMaxa::add_run(Real maxa, Real average_altitude, Real target_altitude) {
  if (average_altitude == previous_average_altitude_) return;
  recommended_ = maxa - (maxa - previous_maxa_) * (average_altitude - target_altitude) /
                            (average_altitude - previous_average_altitude_);
  previous_average_altitude_ = average_altitude;
  previous_maxa_ = maxa;
}

}  // namespace ascent
