// The collocation optimiser where the answer is known: the fastest climb of
// a vehicle of constant thrust acceleration over a flat Earth in vacuum to an
// altitude, level, at a horizontal speed. Its optimal steering is the linear
// tangent law, tan(pitch) = tan(pitch0) - c t; here the law's two constants
// and the time are found by shooting (RK4 and Newton's method on the three
// end conditions), apart from the optimiser.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <csignal>
#include <cstdlib>

#include "base/interruption.hpp"
#include "studies/optimal_control.hpp"

namespace ascent::studies {
namespace {

constexpr double GRAVITY = 9.80665;     // [m/s^2]
constexpr double ACCELERATION = 25.0;   // [m/s^2] thrust per mass
constexpr double ALTITUDE = 50000.0;    // [m]
constexpr double SPEED = 3000.0;        // [m/s] horizontal, at the end

// States x, y, vx, vy; control the thrust direction (cos, sin of the pitch).
void flat_earth_rates(std::span<const double> state, std::span<const double> control, std::span<double> rates) {
  rates[0] = state[2];
  rates[1] = state[3];
  rates[2] = ACCELERATION * control[0];
  rates[3] = ACCELERATION * control[1] - GRAVITY;
}

Phase climb(int segments, Bounds start, Bounds end) {
  Phase phase;
  phase.rates = flat_earth_rates;
  phase.segments = segments;
  phase.start_time = start;
  phase.end_time = end;
  phase.state = {{}, {0.0, UNBOUNDED}, {}, {}};
  phase.control = {{}, {}};  // the length equation bounds them
  phase.unit_control = true;
  // A straight climb at 45 degrees to the end point.
  phase.guess = [](double time, std::span<double> state, std::span<double> control) {
    const double fraction = time / 200.0;
    state[0] = ALTITUDE * fraction;
    state[1] = ALTITUDE * fraction;
    state[2] = SPEED * fraction;
    state[3] = 0.0;
    control[0] = control[1] = std::sqrt(0.5);
  };
  phase.guess_start = start.lower;
  phase.guess_end = std::isfinite(end.upper) ? end.upper : 200.0;
  return phase;
}

Problem fastest_climb(int segments) {
  Problem problem;
  problem.states = 4;
  problem.controls = 2;
  problem.state_scale = {ALTITUDE, ALTITUDE, SPEED, SPEED};
  problem.time_scale = 100.0;
  Phase phase = climb(segments, {0.0, 0.0}, {10.0, 1000.0});
  phase.guess_end = 200.0;
  phase.initial_state = {{0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}};
  problem.phases.push_back(phase);
  problem.objective = [](std::span<const double>, double time) { return time; };
  problem.objective_scale = 100.0;
  problem.conditions = {
      {"altitude", [](std::span<const double> s, double) { return s[1]; }, {ALTITUDE, ALTITUDE}, 1000.0},
      {"vertical speed", [](std::span<const double> s, double) { return s[3]; }, {0.0, 0.0}, 100.0},
      {"horizontal speed", [](std::span<const double> s, double) { return s[2]; }, {SPEED, SPEED}, 100.0},
  };
  return problem;
}

// The linear tangent law flown by RK4 from rest: y, vx, vy at the end.
std::array<double, 3> fly_linear_tangent(double tan_start, double rate, double duration) {
  std::array<double, 4> s{};
  const auto derivative = [&](double t, const std::array<double, 4>& v) {
    const double pitch = std::atan(tan_start - rate * t);
    return std::array<double, 4>{v[2], v[3], ACCELERATION * std::cos(pitch),
                                 ACCELERATION * std::sin(pitch) - GRAVITY};
  };
  constexpr int STEPS = 4000;
  const double h = duration / STEPS;
  for (int k = 0; k < STEPS; ++k) {
    const double t = k * h;
    std::array<double, 4> k1 = derivative(t, s), trial{};
    for (int i = 0; i < 4; ++i) trial[i] = s[i] + 0.5 * h * k1[i];
    std::array<double, 4> k2 = derivative(t + 0.5 * h, trial);
    for (int i = 0; i < 4; ++i) trial[i] = s[i] + 0.5 * h * k2[i];
    std::array<double, 4> k3 = derivative(t + 0.5 * h, trial);
    for (int i = 0; i < 4; ++i) trial[i] = s[i] + h * k3[i];
    std::array<double, 4> k4 = derivative(t + h, trial);
    for (int i = 0; i < 4; ++i) s[i] += h / 6.0 * (k1[i] + 2.0 * k2[i] + 2.0 * k3[i] + k4[i]);
  }
  return {(s[1] - ALTITUDE) / ALTITUDE, s[3] / SPEED, (s[2] - SPEED) / SPEED};
}

// Newton's method on (tan(pitch0), c, time) for the three end conditions.
std::array<double, 3> shoot_linear_tangent() {
  std::array<double, 3> p{1.5, 0.02, 150.0};
  for (int iteration = 0; iteration < 30; ++iteration) {
    const std::array<double, 3> miss = fly_linear_tangent(p[0], p[1], p[2]);
    if (std::abs(miss[0]) + std::abs(miss[1]) + std::abs(miss[2]) < 1e-12) return p;
    double jacobian[3][3];
    for (int j = 0; j < 3; ++j) {
      std::array<double, 3> q = p;
      const double step = 1e-6 * std::max(1.0, std::abs(p[j]));
      q[j] += step;
      const std::array<double, 3> moved = fly_linear_tangent(q[0], q[1], q[2]);
      for (int i = 0; i < 3; ++i) jacobian[i][j] = (moved[i] - miss[i]) / step;
    }
    // Cramer's rule for the 3 x 3 step.
    const auto det = [](const double m[3][3]) {
      return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
             m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    const double d = det(jacobian);
    std::array<double, 3> step{};
    for (int j = 0; j < 3; ++j) {
      double replaced[3][3];
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) replaced[r][c] = c == j ? -miss[r] : jacobian[r][c];
      step[j] = det(replaced) / d;
    }
    for (int j = 0; j < 3; ++j) p[j] += step[j];
  }
  ADD_FAILURE() << "the shooting did not converge";
  return p;
}

TEST(LinearTangent, OptimalClimbSteersByTheLinearTangentLawInTheShootingTime) {
  const std::array<double, 3> law = shoot_linear_tangent();
  const Solution solution = solve(fastest_climb(30));
  ASSERT_EQ(solution.status, SolveStatus::solved);
  // Hermite-Simpson's error falls as the fourth power of the segment: 30
  // segments of a smooth climb leave well under a millisecond of the time.
  EXPECT_NEAR(solution.objective, law[2], 1e-3);
  const PhaseSolution& phase = solution.phases[0];
  double worst = 0.0;
  for (std::size_t j = 0; j < phase.times.size(); ++j) {
    const double pitch = std::atan2(phase.controls[2 * j + 1], phase.controls[2 * j]);
    worst = std::max(worst, std::abs(pitch - std::atan(law[0] - law[1] * phase.times[j])));
  }
  EXPECT_LT(worst, 1e-4) << "largest pitch error [rad]";
  EXPECT_NEAR(solution.conditions[0], ALTITUDE, 1e-3);
  EXPECT_NEAR(solution.conditions[1], 0.0, 1e-6);
  EXPECT_NEAR(solution.conditions[2], SPEED, 1e-6);
}

TEST(LinearTangent, FinerMeshesConvergeOnTheShootingTime) {
  const double exact = shoot_linear_tangent()[2];
  const double coarse = std::abs(solve(fastest_climb(4)).objective - exact);
  const double fine = std::abs(solve(fastest_climb(8)).objective - exact);
  // Fourth order: halving the segments divides the error by about 16.
  EXPECT_GT(coarse / fine, 8.0);
}

TEST(LinearTangent, TheClimbSplitIntoLinkedPhasesHasTheSameOptimum) {
  Problem whole = fastest_climb(30);
  Problem split = fastest_climb(15);
  // The second phase starts where and when the first one ends, its start free.
  Phase second = climb(15, {10.0, 1000.0}, {10.0, 1000.0});
  split.phases[0].end_time = {10.0, 1000.0};
  split.phases[0].guess_end = 100.0;
  second.guess_start = 100.0;
  split.phases.push_back(second);
  const Solution one = solve(whole);
  const Solution two = solve(split);
  ASSERT_EQ(two.status, SolveStatus::solved);
  EXPECT_NEAR(two.objective, one.objective, 1e-3);
  const PhaseSolution& first = two.phases[0];
  const PhaseSolution& next = two.phases[1];
  EXPECT_DOUBLE_EQ(next.times.front(), first.times.back());
  for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(next.states[i], first.states[first.states.size() - 4 + i], 1e-6);
}

TEST(LinearTangent, AJumpAtAPhaseStartMovesTheStateByItsSize) {
  // A fifth state that does not change in flight drops by 3 at the second
  // phase's start; the end must be at the start less 3.
  Problem problem = fastest_climb(10);
  problem.states = 5;
  problem.state_scale.push_back(1.0);
  const auto with_constant = [](Phase& phase) {
    phase.rates = [](std::span<const double> state, std::span<const double> control, std::span<double> rates) {
      flat_earth_rates(state, control, rates);
      rates[4] = 0.0;
    };
    phase.state.push_back({});
    const Guess climb_guess = phase.guess;
    phase.guess = [climb_guess](double time, std::span<double> state, std::span<double> control) {
      climb_guess(time, state, control);
      state[4] = 7.0;
    };
  };
  with_constant(problem.phases[0]);
  problem.phases[0].initial_state.push_back({10.0, 10.0});
  problem.phases[0].end_time = {10.0, 1000.0};
  problem.phases[0].guess_end = 100.0;
  Phase second = climb(10, {10.0, 1000.0}, {10.0, 1000.0});
  second.guess_start = 100.0;
  with_constant(second);
  second.jump = {0.0, 0.0, 0.0, 0.0, -3.0};
  problem.phases.push_back(second);
  const Solution solution = solve(problem);
  ASSERT_EQ(solution.status, SolveStatus::solved);
  EXPECT_NEAR(solution.phases[1].states.back(), 7.0, 1e-9);
}

TEST(LinearTangent, ASpeedOutOfReachInTheTimeAllowedIsInfeasible) {
  Problem problem = fastest_climb(10);
  // No steering reaches 3000 m/s within 100 s at 25 m/s^2.
  problem.phases[0].end_time = {10.0, 100.0};
  problem.phases[0].guess_end = 100.0;
  const Solution solution = solve(problem);
  EXPECT_NE(solution.status, SolveStatus::solved);
  // The nearest end misses the speed by at least what 100 s of level thrust
  // cannot give, and that miss is the largest.
  ASSERT_EQ(solution.least_misses.size(), 3U);
  EXPECT_LT(solution.least_misses[2], -500.0);
  EXPECT_LT(std::abs(solution.least_misses[0]) / 1000.0, std::abs(solution.least_misses[2]) / 100.0);
  EXPECT_LT(std::abs(solution.least_misses[1]) / 100.0, std::abs(solution.least_misses[2]) / 100.0);
}

TEST(LinearTangent, AProblemWithoutItsPartsIsRefused) {
  Problem problem = fastest_climb(10);
  problem.phases[0].control.pop_back();
  EXPECT_THROW((void)solve(problem), std::invalid_argument);
  problem = fastest_climb(10);
  problem.state_scale.pop_back();
  EXPECT_THROW((void)solve(problem), std::invalid_argument);
}

// In a child process: the signal's note stays for the rest of a process.
TEST(LinearTangent, ASignalEndsTheSolveWithItsInterruption) {
  EXPECT_EXIT(
      {
        install_interruption_handlers();
        std::raise(SIGINT);
        try {
          (void)solve(fastest_climb(30));
        } catch (const Interrupted& interrupted) {
          std::_Exit(interrupted.signal() == SIGINT ? 3 : 1);
        }
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(3), "");
}

TEST(LinearTangent, TheCallersStopEndsTheSolveAfterThatIteration) {
  int iterations = 0;
  SolveSettings settings;
  settings.stop = [&iterations] { return ++iterations == 3; };
  EXPECT_THROW((void)solve(fastest_climb(30), settings), Interrupted);
  EXPECT_EQ(iterations, 3);
}

}  // namespace
}  // namespace ascent::studies
