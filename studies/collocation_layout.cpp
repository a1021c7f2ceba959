#include "studies/collocation_layout.hpp"

namespace ascent::optimal {

CollocationLayout::CollocationLayout(const Problem& problem)
    : states_(problem.states), point_size_(problem.states + problem.controls) {
  for (const Phase& phase : problem.phases) {
    phases_.push_back({phase.segments, phase.unit_control, variables_, equations_});
    variables_ += 2 + (2 * phase.segments + 1) * point_size_;
    equations_ += 2 * states_ * phase.segments + (phase.unit_control ? 2 * phase.segments + 1 : 0) + 1 +
                  (phases_.size() > 1 ? states_ + 1 : 0);
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

int CollocationLayout::duration(int phase) const {
  return defects(phase, segments(phase)) + (phases_[index(phase)].unit_control ? points(phase) : 0);
}

int CollocationLayout::link(int phase) const { return duration(phase) + 1; }

}  // namespace ascent::optimal
