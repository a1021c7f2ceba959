// The sample booster thrust history of data/, read once for the mission tests.
#pragma once

#include <filesystem>

#include "mission/thrust_history.hpp"

namespace ascent::testing {

inline const ThrustHistory& sample() {
  static const ThrustHistory thrust =
      ThrustHistory::read(std::filesystem::path(ASCENT_DATA_DIR) / "s1.dat");
  return thrust;
}

}  // namespace ascent::testing
