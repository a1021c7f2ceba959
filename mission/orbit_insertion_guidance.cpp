#include "mission/orbit_insertion_guidance.hpp"

#include <cmath>

#include "base/earth.hpp"

namespace ascent {

namespace {

/// [s] Below this time to go the energy decides the cutoff.
constexpr double FINAL_TIME_TO_GO = 10.0;
/// [s] Below this time to go the steering is no longer solved but flown on:
/// the end state hardly depends on the primer any more.
constexpr double FREEZE_TIME_TO_GO = 4.0;
/// Newton steps per cycle from the last solution carried forward: one or two
/// are enough where the stage flies as predicted.
constexpr int CYCLE_ITERATIONS = 4;
/// [s] Without a solution the stage flies the last one, or the first guess,
/// and seeks one from scratch after this long, then after twice as long
/// each time it finds none.
constexpr double SEEK_AGAIN_AFTER = 20.0;

/// [rad] The primer's angle above the local horizontal of the arc's position.
double pitch_of(const BurnArc& arc) {
  const double r = std::hypot(arc.r[0], arc.r[1]);
  const double up = (arc.lv[0] * arc.r[0] + arc.lv[1] * arc.r[1]) / r;
  const double along = (arc.lv[1] * arc.r[0] - arc.lv[0] * arc.r[1]) / r;
  return std::atan2(up, along);
}

}  // namespace

TargetEllipse target_ellipse(const TargetOrbit& target) {
  return {static_cast<double>(R_EARTH) + target.perigee_altitude(),
          static_cast<double>(R_EARTH) + target.apogee_altitude()};
}

Real orbital_energy(const TargetEllipse& target) {
  return -MU / (Extended{target.perigee_radius} + Extended{target.apogee_radius});
}

Real orbital_energy(Real vt, Real vr, Real h0) {
  return (vt * vt + vr * vr) / 2.0L - MU / (h0 + R_EARTH);
}

OrbitInsertionGuidance::OrbitInsertionGuidance(const TargetEllipse& target, Real exhaust_velocity)
    : target_(target), ve_(exhaust_velocity.value()) {}

bool OrbitInsertionGuidance::in_final_seconds() const {
  return time_to_go_ < FINAL_TIME_TO_GO;
}

BurnSolution OrbitInsertionGuidance::carried_forward() const {
  // Into the frame of the present position, the primer of unit length again.
  const double angle = std::atan2(arc_.r[1], arc_.r[0]);
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double primer = std::hypot(arc_.lv[0], arc_.lv[1]);
  const PlaneVector lr{(c * arc_.lr[0] + s * arc_.lr[1]) / primer,
                       (c * arc_.lr[1] - s * arc_.lr[0]) / primer};
  const PlaneVector lv{c * arc_.lv[0] + s * arc_.lv[1], c * arc_.lv[1] - s * arc_.lv[0]};
  return {lr, std::atan2(lv[1], lv[0]), solution_->burn_time - since_solved_,
          solution_->insertion_anomaly};
}

void OrbitInsertionGuidance::solve(const BurnStart& start) {
  std::optional<BurnSolution> found;
  if (optimal_) found = solve_optimal_burn(start, target_, carried_forward(), CYCLE_ITERATIONS);
  bool optimal = found.has_value();
  if (!found && (!solution_ || unsolved_for_ >= seek_after_)) {
    // Sought from scratch ever more seldom: a stage too weak for its target
    // never finds a burn, and each search costs hundreds of burns.
    seek_after_ = solution_ ? 2.0 * std::max(seek_after_, SEEK_AGAIN_AFTER) : SEEK_AGAIN_AFTER;
    unsolved_for_ = 0.0;
    found = first_optimal_burn(start, target_);
    optimal = found.has_value();
    if (!found && !solution_) found = first_guess(start, target_);
  }
  if (!found) return;
  solution_ = found;
  optimal_ = optimal;
  solved_from_ = start;
  arc_ = burn_arc(start, *found, 0.0);
  since_solved_ = 0.0;
  if (optimal) {
    unsolved_for_ = 0.0;
    seek_after_ = SEEK_AGAIN_AFTER;
  }
}

PitchCommand OrbitInsertionGuidance::steer(const GuidanceInput& in, Real dt) {
  if (!frozen_) {
    const double acceleration = in.acceleration.value();
    solve({static_cast<double>(R_EARTH) + in.h0.value(), in.vr.value(), in.vt.value(),
           acceleration, ve_ / acceleration});
    frozen_ = optimal_ && since_solved_ == 0.0 && solution_->burn_time < FREEZE_TIME_TO_GO;
  }
  const double step = dt.value();
  const double start = pitch_of(arc_);
  arc_ = advance_arc(arc_, solved_from_, since_solved_, step);
  const double end = pitch_of(arc_);
  since_solved_ += step;
  unsolved_for_ += step;
  time_to_go_ = solution_->burn_time - since_solved_;
  return {start, std::remainder(end - start, 2.0 * std::acos(-1.0)) / step};
}

}  // namespace ascent
