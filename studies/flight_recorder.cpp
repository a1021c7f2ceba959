#include "studies/flight_recorder.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "base/earth.hpp"
#include "text/event_lines.hpp"

namespace ascent::studies {

namespace {

double degrees(Extended radians) {
  return static_cast<double>(radians * 180.0L / PI);
}

}  // namespace

std::string_view event_name(FlightEventKind kind) {
  switch (kind) {
    case FlightEventKind::on_pad:
      return "on the pad";
    case FlightEventKind::liftoff:
      return "liftoff";
    case FlightEventKind::long_record_interval:
      return "long thrust record interval";
    case FlightEventKind::pitch_over:
      return "pitch-over";
    case FlightEventKind::end_of_turn:
      return "end of turn";
    case FlightEventKind::booster_separation:
      return "booster separation";
    case FlightEventKind::fairing_jettison:
      return "fairing jettison";
    case FlightEventKind::core_cutoff:
      return "core cutoff";
    case FlightEventKind::core_separation:
      return "core separation";
    case FlightEventKind::upper_stage_ignition:
      return "upper-stage ignition";
    case FlightEventKind::upper_stage_mainstage:
      return "upper-stage mainstage";
    case FlightEventKind::upper_stage_cutoff:
      return "upper-stage cutoff";
    case FlightEventKind::upper_stage_separation:
      return "upper-stage separation";
  }
  return "event";
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
  // What a stage drops goes after its event: this is the mass of the last row.
  record.mass = static_cast<double>(state.mass());
  record.vt = state.vt.value();
  record.vr = state.vr.value();
  record.r0 = state.r0.value();
  return record;
}

void FlightRecorder::on_step(const FlightState& state, const StepQuantities& derived) {
  ++step_count_;
  last_ = derived;
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
      .alpha = degrees(state.steering.alpha),
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
      .alpha_aero = degrees(derived.alpha_aero),
      .q_alpha = degrees(derived.Pq * std::fabs(Extended{derived.alpha_aero})),
  });
  if (state.dt < 0.0L) mark_step_back();
}

void FlightRecorder::mark_step_back() {
  StepRecord& back = steps_.back();
  back.search_step = true;
  for (auto step = steps_.rbegin() + 1; step != steps_.rend() && step->t > back.t; ++step) {
    step->search_step = true;
  }
}

void FlightRecorder::on_event(const FlightEvent& event, const FlightState& state) {
  switch (event.kind) {
    case FlightEventKind::on_pad:
    case FlightEventKind::long_record_interval:
      return;
    case FlightEventKind::liftoff:
      record_liftoff(state);
      return;
    default:
      events_.push_back(at_last_step(std::string(event_name(event.kind)),
                                     std::string(event_line(event).view()), state));
      events_.back().value = static_cast<double>(event.value);
  }
}

void FlightRecorder::record_liftoff(const FlightState& state) {
  // Upright on the pad: the inertial velocity is the Earth's, horizontal; the
  // path over the ground is vertical, and there is no air speed yet.
  EventRecord record = at_last_step("liftoff", "", state);
  record.vi = static_cast<double>(std::hypot(Extended{state.vt}, Extended{state.vr}));
  record.beta = degrees(std::atan2(Extended{state.vr}, Extended{state.vt}));
  record.theta = 90.0;
  record.Pq = 0.0;
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

}  // namespace ascent::studies
