// A record of one flight besides the text the program writes: the events
// with the vehicle's state at each, and optionally every step.
#pragma once

#include <string>
#include <vector>

#include "mission/flight_event.hpp"

namespace ascent::studies {

/// The state at an event, in the units of the trajectory table: that of the
/// row before the event line (for liftoff, of the liftoff row).
struct EventRecord {
  std::string name;    ///< "liftoff", "pitch-over", ... "upper-stage separation"
  std::string line;    ///< the event line the program wrote ("" for liftoff and max q)
  double t = 0.0;      ///< [s]
  double h0 = 0.0;     ///< [m] altitude
  double vi = 0.0;     ///< [m/s] inertial speed
  double beta = 0.0;   ///< [deg] inertial flight-path angle
  double theta = 0.0;  ///< [deg] Earth-relative flight-path angle
  double Pq = 0.0;     ///< [Pa] dynamic pressure
  double mass = 0.0;   ///< [kg]
  double vt = 0.0;     ///< [m/s] inertial horizontal velocity
  double vr = 0.0;     ///< [m/s] radial velocity
  double r0 = 0.0;     ///< [m] downrange distance
  double value = 0.0;  ///< the number that goes with the event (FlightEvent::value)
};

/// The state after one step.
struct StepRecord {
  double t;        ///< [s]
  double dt;       ///< [s] length of the step (negative for a step back)
  double a;        ///< [m/s^2] thrust acceleration
  double vi;       ///< [m/s] inertial speed
  double vt;       ///< [m/s] inertial horizontal velocity
  double vr;       ///< [m/s] radial velocity
  double h0;       ///< [m] altitude
  double r0;       ///< [m] downrange distance
  double alpha;    ///< [deg] held steering angle
  double beta;     ///< [deg] inertial flight-path angle
  double theta;    ///< [deg] Earth-relative flight-path angle
  double Pq;       ///< [Pa] dynamic pressure
  double thrust;   ///< [N] effective thrust
  double drag;     ///< [N]
  double Cd;       ///< [1] drag coefficient
  double mass;     ///< [kg]
  double m_prop;   ///< [kg] propellant of the burning stage
  double dV;       ///< [m/s] ideal delta-V so far
  double perigee;  ///< [m] of the osculating orbit
  double apogee;   ///< [m] of the osculating orbit
  double alpha_aero;  ///< [deg] from the air-relative velocity to the thrust direction
  double q_alpha;     ///< [Pa*deg] dynamic pressure times |alpha_aero|
  /// A step of a search that a later step back undoes (the pitch-over
  /// search, the upper stage's last second), or such a step back: without
  /// these rows the time only grows.
  bool search_step = false;
};

/// The name of an event in the event table ("booster separation").
std::string_view event_name(FlightEventKind kind);

class FlightRecorder : public FlightObserver {
 public:
  /// With `keep_steps`, every step is kept for the time history.
  explicit FlightRecorder(bool keep_steps = false) : keep_steps_(keep_steps) {}

  void on_step(const FlightState& state, const StepQuantities& derived) override;
  void on_event(const FlightEvent& event, const FlightState& state) override;

  /// Liftoff, the event lines and the step of maximum dynamic pressure, in
  /// the order of time.
  [[nodiscard]] std::vector<EventRecord> events() const;
  [[nodiscard]] const std::vector<StepRecord>& steps() const { return steps_; }
  [[nodiscard]] std::size_t step_count() const { return step_count_; }

 private:
  EventRecord at_last_step(std::string name, std::string line, const FlightState& state) const;
  /// Marks a step back and the kept steps it goes back over.
  void mark_step_back();
  void record_liftoff(const FlightState& state);

  bool keep_steps_;
  std::size_t step_count_ = 0;
  std::vector<StepRecord> steps_;
  std::vector<EventRecord> events_;
  EventRecord max_q_;
  bool have_max_q_ = false;
  StepQuantities last_;
};

}  // namespace ascent::studies
