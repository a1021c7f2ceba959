// The Delta III ascent of Betts' example 6.15 from its published data, for
// the tests and the benchmarks of the optimal ascent.
#pragma once

#include <numbers>

#include "studies/optimal_ascent.hpp"

namespace ascent::optimal {

inline constexpr double DEG = std::numbers::pi / 180.0;
inline constexpr double BETTS_FINAL_MASS = 7529.712;  // [kg]
inline constexpr double PSOPT_FINAL_TIME = 924.141;   // [s]

// The benchmark's vehicle, from its published data: nine solids (six lit on
// the ground, three in the air), a first stage burning 261 s, a second stage;
// `segments` in each phase, twice as many in the long last one.
inline AscentProblem delta3(int segments = 15) {
  AscentProblem a;
  a.earth = {3.986012e14, 6378145.0, 7.29211585e-5, 0.0};
  a.air = AirModel::exponential(1.225, 7200.0);
  a.latitude = 28.5 * DEG;
  a.liftoff_mass = 301454.0;
  const double solid_flow = 17010.0 / 75.2;
  const double first_flow = 95550.0 / 261.0;
  const DragModel drag{4.0 * std::numbers::pi, 0.5, {}};
  a.phases = {
      {"6 solids, stage 1", 75.2, 6 * 628500.0 + 1083100.0, 6 * solid_flow + first_flow, 0.0, drag, 0.0, segments},
      {"3 solids, stage 1", 75.2, 3 * 628500.0 + 1083100.0, 3 * solid_flow + first_flow, 0.0, drag, 6 * 2280.0,
       segments},
      {"stage 1", 261.0 - 150.4, 1083100.0, first_flow, 0.0, drag, 3 * 2280.0, segments},
      {"stage 2", 700.0, 110094.0, 16820.0 / 700.0, 0.0, drag, 8830.0, 2 * segments},
  };
  a.target = {24361140.0, 0.7308, 28.5 * DEG, 269.8 * DEG, 130.5 * DEG};
  return a;
}

}  // namespace ascent::optimal
