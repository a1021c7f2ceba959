#include "tools/trim/flight_recorder.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "dynamics/earth.hpp"

namespace ascent::trim {

namespace {

double degrees(Extended radians) {
  return static_cast<double>(radians * 180.0L / PI);
}

struct EventName {
  std::string_view prefix;
  std::string_view name;
};

constexpr std::array<EventName, 10> EVENT_NAMES{{
    {"Pitch over!", "pitch-over"},
    {"End turn.", "end of turn"},
    {"Booster seperation!", "booster separation"},
    {"PLF Jettison!", "fairing jettison"},
    {"Core Engine Cutoff!", "core cutoff"},
    {"Core Separation!", "core separation"},
    {"Upper Stage Ignition!", "upper-stage ignition"},
    {"Upper Stage Mainstage!", "upper-stage mainstage"},
    {"Upper Stage Engine Cutoff!", "upper-stage cutoff"},
    {"Upper Stage Separation!", "upper-stage separation"},
}};

}  // namespace

std::string event_name(std::string_view line) {
  for (const EventName& known : EVENT_NAMES) {
    if (line.starts_with(known.prefix)) return std::string(known.name);
  }
  return std::string(line);
}

EventRecord FlightRecorder::at_last_step(std::string name, std::string line,
                                         const FlightState& state) const {
  EventRecord record;
  record.name = std::move(name);
  record.line = std::move(line);
  record.t = state.t.value();
  record.h0 = state.h0.value();
  record.vi = state.vi.value();
  record.beta = degrees(last_.beta);
  record.theta = degrees(last_.theta);
  record.Pq = last_.Pq.value();
  // The mass of the last row: an event line may come after a mass change
  // that the next step completes (the boosters' residual propellant is gone
  // before their separation line, their dry mass only at the next step).
  record.mass = last_mass_;
  return record;
}

void FlightRecorder::on_step(const FlightState& state, const StepQuantities& derived) {
  ++step_count_;
  last_ = derived;
  last_mass_ = static_cast<double>(state.mass());
  if (!have_max_q_ || derived.Pq > max_q_.Pq) {
    max_q_ = at_last_step("maximum dynamic pressure", "", state);
    have_max_q_ = true;
  }
  if (!keep_steps_) return;
  steps_.push_back({
      .t = state.t.value(),
      .dt = state.dt.value(),
      .a = state.a.value(),
      .vi = state.vi.value(),
      .vt = state.vt.value(),
      .vr = state.vr.value(),
      .h0 = state.h0.value(),
      .r0 = state.r0.value(),
      .alpha = degrees(state.alpha),
      .beta = degrees(derived.beta),
      .theta = degrees(derived.theta),
      .Pq = derived.Pq.value(),
      .thrust = derived.T.value(),
      .drag = derived.D.value(),
      .Cd = derived.Cd.value(),
      .mass = static_cast<double>(state.mass()),
      .m_prop = state.m_prop.value(),
      .dV = state.dV.value(),
      .perigee = state.perigee.value(),
      .apogee = state.apogee.value(),
  });
}

void FlightRecorder::on_event(std::string_view line, const FlightState& state) {
  events_.push_back(at_last_step(event_name(line), std::string(line), state));
}

void FlightRecorder::on_liftoff(const FlightState& state) {
  // Upright on the pad: the inertial velocity is the Earth's, horizontal; the
  // path over the ground is vertical, and there is no air speed yet.
  EventRecord record;
  record.name = "liftoff";
  record.t = state.t.value();
  record.h0 = state.h0.value();
  record.vi = static_cast<double>(std::hypot(Extended{state.vt}, Extended{state.vr}));
  record.beta = degrees(std::atan2(Extended{state.vr}, Extended{state.vt}));
  record.theta = 90.0;
  record.Pq = 0.0;
  record.mass = static_cast<double>(state.mass());
  events_.push_back(record);
}

std::vector<EventRecord> FlightRecorder::events() const {
  std::vector<EventRecord> all = events_;
  if (have_max_q_) {
    // Before the first event that comes later; stable for events at the same time.
    const auto later =
        std::find_if(all.begin(), all.end(), [&](const EventRecord& e) { return e.t > max_q_.t; });
    all.insert(later, max_q_);
  }
  return all;
}

}  // namespace ascent::trim
