#include "studies/collocation_layout.hpp"

namespace ascent::studies {

CollocationLayout::CollocationLayout(const Problem& problem)
    : states_(problem.states), point_size_(problem.states + problem.controls) {
  const auto free = [](const Bounds& time) { return time.lower != time.upper; };
  for (std::size_t p = 0; p < problem.phases.size(); ++p) {
    const Phase& phase = problem.phases[p];
    const bool free_time = free(phase.start_time) || free(phase.end_time);
    const bool time_link = p > 0 && (free(phase.start_time) || free(problem.phases[p - 1].end_time));
    const int path_constraints = static_cast<int>(phase.path.size());
    phases_.push_back(
        {phase.segments, phase.unit_control, path_constraints, free_time, time_link, variables_, equations_});
    const int points = 2 * phase.segments + 1;
    variables_ += 2 + points * point_size_;
    equations_ += 2 * states_ * phase.segments + (phase.unit_control ? points : 0) + points * path_constraints +
                  (free_time ? 1 : 0) + (p > 0 ? states_ : 0) + (time_link ? 1 : 0);
  }
  first_condition_ = equations_;
  equations_ += static_cast<int>(problem.conditions.size());
}

int CollocationLayout::defects(int phase, int segment) const {
  return phases_[index(phase)].first_equation + 2 * states_ * segment;
}

int CollocationLayout::control_length(int phase, int point) const {
  return defects(phase, segments(phase)) + point;
}

int CollocationLayout::path(int phase, int point, int constraint) const {
  return defects(phase, segments(phase)) + (phases_[index(phase)].unit_control ? points(phase) : 0) +
         point * phases_[index(phase)].path_constraints + constraint;
}

int CollocationLayout::duration(int phase) const { return path(phase, points(phase), 0); }

int CollocationLayout::link(int phase) const { return duration(phase) + (has_duration(phase) ? 1 : 0); }

}  // namespace ascent::studies
