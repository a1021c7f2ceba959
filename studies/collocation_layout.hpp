// Where each variable and each equation of a collocation programme sits.
// A phase of N segments has 2N+1 points (mesh points and midpoints in turn);
// its variables are its start and end times, then each point's state and
// control. Its equations are two defects of each segment (the Hermite
// midpoint and the Simpson quadrature), the control's length at each point
// when it is a direction, its path constraints at each point, its duration,
// and its link to the phase before.
// The terminal conditions come last. Equations between fixed times only
// (a duration, a start at the end before) are left out: a row of no
// variables would make the programme's Jacobian singular.
#pragma once

#include <vector>

#include "studies/optimal_control.hpp"

namespace ascent::studies {

class CollocationLayout {
 public:
  explicit CollocationLayout(const Problem& problem);

  [[nodiscard]] int variables() const { return variables_; }
  [[nodiscard]] int equations() const { return equations_; }
  /// State and control values of one point.
  [[nodiscard]] int point_size() const { return point_size_; }
  [[nodiscard]] int phases() const { return static_cast<int>(phases_.size()); }
  [[nodiscard]] int segments(int phase) const { return phases_[index(phase)].segments; }
  [[nodiscard]] int points(int phase) const { return 2 * segments(phase) + 1; }

  [[nodiscard]] int start_time(int phase) const { return phases_[index(phase)].first_variable; }
  [[nodiscard]] int end_time(int phase) const { return start_time(phase) + 1; }
  /// The first variable (the state's first component) of a point.
  [[nodiscard]] int point(int phase, int point) const { return start_time(phase) + 2 + point * point_size_; }
  [[nodiscard]] int final_point() const { return point(phases() - 1, points(phases() - 1) - 1); }

  /// The first of a segment's 2 x states defect equations.
  [[nodiscard]] int defects(int phase, int segment) const;
  /// The length equation of a point's control (phases with a direction).
  [[nodiscard]] int control_length(int phase, int point) const;
  /// The equation of a path constraint at a point.
  [[nodiscard]] int path(int phase, int point, int constraint) const;
  [[nodiscard]] int duration(int phase) const;
  /// The phase has a duration equation: one of its times is free.
  [[nodiscard]] bool has_duration(int phase) const { return phases_[index(phase)].free_time; }
  /// The first of the link equations (phases after the first): the states,
  /// then the start time when it or the end before is free.
  [[nodiscard]] int link(int phase) const;
  [[nodiscard]] bool has_time_link(int phase) const { return phases_[index(phase)].time_link; }
  [[nodiscard]] int condition(int condition) const { return first_condition_ + condition; }

 private:
  struct PhaseLayout {
    int segments;
    bool unit_control;
    int path_constraints;
    bool free_time;
    bool time_link;
    int first_variable;
    int first_equation;
  };
  [[nodiscard]] static std::size_t index(int phase) { return static_cast<std::size_t>(phase); }

  int states_;
  int point_size_;
  std::vector<PhaseLayout> phases_;
  int variables_ = 0;
  int equations_ = 0;
  int first_condition_ = 0;
};

}  // namespace ascent::studies
