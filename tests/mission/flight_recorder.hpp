// Records every step and event line of a flight, for checks that need the
// state between rows.
#pragma once

#include <string>
#include <vector>

#include "mission/flight_event.hpp"
#include "text/event_lines.hpp"

namespace ascent::testing {

struct RecordedStep {
  FlightState state;
  StepQuantities derived;
  std::size_t events_before = 0;  ///< number of event lines written before this step
};

class FlightRecorder : public FlightObserver {
 public:
  void on_step(const FlightState& state, const StepQuantities& derived) override {
    steps.push_back({state, derived, events.size()});
  }
  /// Keeps the events the table shows as event lines, as their text.
  void on_event(const FlightEvent& event, const FlightState& /*state*/) override {
    const Line line = event_line(event);
    if (line.view().empty()) return;
    events.emplace_back(line.view());
    steps_before_event.push_back(steps.size());
  }

  /// Index of the event line that starts with `prefix`, or -1.
  [[nodiscard]] int event(std::string_view prefix) const {
    for (std::size_t i = 0; i < events.size(); ++i) {
      if (events[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    }
    return -1;
  }
  /// The last step before event `index`.
  [[nodiscard]] const RecordedStep& step_before(int index) const {
    return steps.at(steps_before_event.at(static_cast<std::size_t>(index)) - 1);
  }
  /// The first step after event `index`.
  [[nodiscard]] const RecordedStep& step_after(int index) const {
    return steps.at(steps_before_event.at(static_cast<std::size_t>(index)));
  }

  std::vector<RecordedStep> steps;
  std::vector<std::string> events;
  std::vector<std::size_t> steps_before_event;
};

}  // namespace ascent::testing
