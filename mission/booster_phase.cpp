// Liftoff and booster phase: from the pad through the vertical rise, the
// pitch-over kick, the hold of the turn time and the recovery, to booster
// separation. The boosters' thrust follows the booster thrust
// file, linearly between records; the core burns at constant thrust.
#include <cmath>
#include <string>

#include "atmosphere/standard_atmosphere.hpp"
#include "base/earth.hpp"
#include "base/fixed_text.hpp"
#include "base/runtime_error.hpp"
#include "mission/ascent_flight.hpp"

namespace ascent {

namespace {

/// [N] rounding the integrated thrust may gather over the booster phase.
constexpr Extended THRUST_ROUNDING = 1.0L;

/// The flight of one booster phase: the thrust records and their running totals.
class BoosterPhase {
 public:
  explicit BoosterPhase(AscentFlight& flight)
      : flight_(flight), v_(flight.vehicle), s_(flight.s), thrust_(flight.thrust) {}

  void fly();

 private:
  void set_up_on_pad();
  void lift_off();
  void climb_to_pitch_over();
  [[nodiscard]] Real find_pitch_over_point();
  void check_turn_fits_before_separation() const;
  void separate_boosters();

  void read_booster_record();
  void check_propellant_lasts() const;
  void run_booster_to_time(Real span);
  void step();
  [[noreturn]] void refuse_shifted_thrust_law(const std::string& what) const;
  [[nodiscard]] std::string file_text() const { return "the booster thrust file \"" + thrust_.name() + "\""; }

  AscentFlight& flight_;
  const Vehicle& v_;
  FlightState& s_;
  const ThrustHistory& thrust_;
  std::size_t records_read_ = 0;
  Real rec_t_;              ///< [s] time of the last record read
  Real rec_thrust_;         ///< [N] thrust of one booster at rec_t_
  Real prev_t_;             ///< [s] time of the record before
  Real prev_thrust_;        ///< [N] thrust of one booster at prev_t_
  Real booster_prop_used_;  ///< [kg] burned by one booster, record by record
  Real sea_level_loss_;     ///< [N] thrust lost to sea-level pressure
};

void BoosterPhase::set_up_on_pad() {
  s_.force_count = 3;
  s_.force(3).force_mass = v_.upper_stage.stack_mass;
  s_.force(2).force_mass = v_.core_stack_mass();
  s_.force(1).force_mass = v_.liftoff_mass();
  flight_.result.liftoff_mass = s_.force(1).force_mass.value();
  s_.force(3).force_area = v_.stack_area();
  s_.force(2).force_area = v_.core_stack_area();
  s_.force(1).force_area = v_.liftoff_area();
  for (int k = 1; k <= s_.force_count; ++k) {
    s_.force(k).max_force = SURFACE_GRAVITY * s_.force(k).force_mass;
    s_.force(k).max_force_t = 0.0L;
  }

  s_.stage.ref_area = s_.force(1).force_area;
  s_.stage.exit_area = v_.liftoff_exit_area();
  sea_level_loss_ = s_.stage.exit_area * P_SEA_LEVEL;
  s_.m_prop = v_.pad_propellant();
  s_.stage.m_fixed = s_.force(1).force_mass - s_.m_prop;
  s_.t = 0.0L;
  s_.stage.v_earth = v_.surface_speed();
  s_.stage.drag_scale = flight_.plan.aero.drag;
  s_.stage.density_scale = flight_.plan.aero.density;
  s_.vt = s_.stage.v_earth;
  s_.h0 = s_.vr = s_.r0 = s_.pitch = 0.0L;
  s_.stage.mdot_rate = s_.stage.thrust_rate = s_.dV = 0.0L;
  s_.thrust_vac = v_.core.thrust;
  s_.mdot = -v_.core.thrust / v_.core.exhaust_velocity;

  flight_.event(FlightEventKind::on_pad, SURFACE_GRAVITY);
}

void BoosterPhase::lift_off() {
  const ThrustRecord& first = thrust_.record(records_read_++);
  rec_t_ = first.t;
  rec_thrust_ = first.thrust;
  s_.dt = rec_t_;
  s_.stage.thrust_rate = rec_thrust_ * 2.0L / s_.dt;
  s_.stage.mdot_rate = -s_.stage.thrust_rate / v_.boosters.exhaust_velocity;
  booster_prop_used_ = rec_thrust_ * 0.5L * s_.dt / v_.boosters.exhaust_velocity;
  check_propellant_lasts();

  // Thrust less back-pressure loss equals the weight: a quadratic in time.
  const Real a = -SURFACE_GRAVITY * s_.stage.mdot_rate / 2.0L;
  const Real b = -SURFACE_GRAVITY * s_.mdot + s_.stage.thrust_rate;
  const Real c =
      (s_.thrust_vac - sea_level_loss_) - (s_.stage.m_fixed + s_.m_prop) * SURFACE_GRAVITY;
  const Real t = (std::sqrt(b * b - 4.0L * a * c) - b) / (2.0L * a);
  if (!(t > 0.0L && t <= rec_t_)) {
    throw FlightError(
                       file_text() + ", record 1: the thrust is too small for liftoff by " +
                           fixed_text(rec_t_, 2) + " s");
  }
  s_.t = t;
  s_.m_prop = s_.m_prop + s_.mdot * s_.t + s_.stage.mdot_rate * s_.t * s_.t / 2.0L;
  s_.thrust_vac = s_.thrust_vac + s_.stage.thrust_rate * s_.t;
  s_.mdot = s_.mdot + s_.stage.mdot_rate * s_.t;
  flight_.event(FlightEventKind::liftoff, (s_.thrust_vac - sea_level_loss_) / s_.mass());

  s_.dt = s_.dt - s_.t;
  s_.stage.pitch_rate = 0.0L;
  s_.steering.law = RelativePathSteering{};
  step();
  const Real liftoff_thrust = s_.thrust_vac - sea_level_loss_;
  flight_.result.liftoff_thrust = liftoff_thrust.value();
  flight_.result.liftoff_acceleration = Real(liftoff_thrust / s_.mass()).value();
}

void BoosterPhase::climb_to_pitch_over() {
  // A vehicle that sinks back below the pad before the kick never climbs:
  // said at once as the thrust history's fault, not after its last record.
  flight_.ground_ends_flight = false;
  do {
    if (rec_t_ >= v_.boosters.separation_time || s_.h0 < 0.0L) {
      throw FlightError(
                         file_text() + ": the vehicle does not climb above " +
                             fixed_text(v_.pitch_program.pitch_over_altitude, 0) +
                             " m before booster separation");
    }
    read_booster_record();
    step();
  } while (!(s_.h0 > v_.pitch_program.pitch_over_altitude));
  flight_.ground_ends_flight = true;
}

/// Back to the record before the altitude was passed, then forward in tenths
/// and hundredths of the record interval; returns the time from the point
/// found to the next record.
Real BoosterPhase::find_pitch_over_point() {
  s_.dt = -s_.dt;
  step();
  const Real h_stop = v_.pitch_program.pitch_over_altitude;
  Real to_record = -s_.dt;
  s_.dt = -s_.dt / 10.0L;
  to_record = flight_.dynamics.run_to_altitude(h_stop, to_record);
  s_.dt = -s_.dt / 10.0L;
  return flight_.dynamics.run_to_altitude(h_stop, to_record);
}

void BoosterPhase::check_turn_fits_before_separation() const {
  const Real recovery_end = s_.t + 2.0L + Real(flight_.plan.turn_time);
  if (recovery_end > v_.boosters.separation_time) {
    flight_.result.recovery_end = recovery_end.value();
    flight_.end_flight(FlightEnd::turn_too_long);
  }
}

void BoosterPhase::separate_boosters() {
  // The flight stopped inside the last record interval: take back what one
  // booster would burn in the rest of it, at the mean thrust of that part.
  booster_prop_used_ = booster_prop_used_ - s_.dt *
                                                (rec_thrust_ - 0.5L * s_.dt * (rec_thrust_ - prev_thrust_) /
                                                                   (rec_t_ - prev_t_)) /
                                                v_.boosters.exhaust_velocity;
  const Real residual = v_.boosters.propellant - booster_prop_used_;
  // The event holds the state the step landed on: the boosters still carry
  // their residual propellant, which leaves with them.
  flight_.event(FlightEventKind::booster_separation, residual);
  s_.m_prop = s_.m_prop - v_.boosters.count * residual;
  // What stays is the core's propellant; the records' count and the flight
  // agree on it unless the thrust law was shifted.
  if (!(s_.m_prop > 0.0L)) {
    refuse_shifted_thrust_law("the core's propellant is used up at booster separation");
  }
}

void BoosterPhase::fly() {
  set_up_on_pad();
  lift_off();
  climb_to_pitch_over();
  const Real to_record = find_pitch_over_point();
  check_turn_fits_before_separation();

  // Kick: one second pitching down at the turn rate, split at the record time inside it.
  flight_.event(FlightEventKind::pitch_over);
  s_.stage.pitch_rate = -v_.turn_rate();
  s_.dt = to_record;
  step();
  const Real kick_rest = 1.0L - s_.dt;
  read_booster_record();
  s_.dt = kick_rest;
  step();

  // Hold the offset for the turn time.
  s_.stage.pitch_rate = 0.0L;
  s_.dt = 1.0L - s_.dt;
  step();
  run_booster_to_time(flight_.plan.turn_time - s_.dt);

  // Recovery: one second pitching back up at the turn rate.
  s_.stage.pitch_rate = v_.turn_rate();
  step();
  const Real recovery_rest = 1.0L - s_.dt;
  read_booster_record();
  s_.dt = recovery_rest;
  step();
  s_.pitch = 0.0L;
  flight_.event(FlightEventKind::end_of_turn);

  // Booster burn to separation.
  s_.stage.pitch_rate = 0.0L;
  s_.dt = 1.0L - s_.dt;
  step();
  run_booster_to_time(v_.boosters.separation_time - s_.t);
  separate_boosters();
}

void BoosterPhase::read_booster_record() {
  prev_t_ = rec_t_;
  prev_thrust_ = rec_thrust_;
  const ThrustRecord& record = thrust_.record(records_read_++);
  rec_t_ = record.t;
  rec_thrust_ = record.thrust;
  s_.dt = rec_t_ - prev_t_;
  if (s_.dt > 1.0L) flight_.event(FlightEventKind::long_record_interval, s_.dt);
  s_.stage.thrust_rate = (rec_thrust_ - prev_thrust_) * 2.0L / s_.dt;
  s_.stage.mdot_rate = -s_.stage.thrust_rate / v_.boosters.exhaust_velocity;
  booster_prop_used_ = booster_prop_used_ + (rec_thrust_ + prev_thrust_) * 0.5L * s_.dt /
                                                v_.boosters.exhaust_velocity;
  check_propellant_lasts();
}

void BoosterPhase::step() {
  flight_.dynamics.rk4_step();
  // With records 1 s apart around the kick and the recovery the integrated
  // thrust meets every record. Other spacings shift each record's thrust law
  // in time; after steep jumps the boosters' thrust can then fall below zero,
  // or the mass run out, and the flight would leave the range of the numbers.
  const char* broken = s_.thrust_vac < v_.core.thrust - THRUST_ROUNDING
                           ? "the boosters' thrust falls below zero"
                       : !(s_.mass() > 0.0L) ? "the vehicle's mass is used up"
                                             : nullptr;
  if (broken != nullptr) {
    refuse_shifted_thrust_law(broken + std::string(" at t = ") + fixed_text(s_.t, 2) + " s");
  }
}

void BoosterPhase::refuse_shifted_thrust_law(const std::string& what) const {
  throw FlightError(
                     file_text() + ": flown along its records, " + what +
                         " (records other than 1 s apart around the kick or the recovery shift "
                         "the thrust law in time)");
}

void BoosterPhase::check_propellant_lasts() const {
  // A thrust history may burn more than the boosters' load (the residual is
  // then negative), but not more than the vehicle holds: the mass would fall
  // to nothing and the flight would leave the range of the numbers.
  const Real burned = v_.boosters.count * booster_prop_used_ +
                      v_.core.thrust / v_.core.exhaust_velocity * rec_t_;
  if (!(burned < v_.pad_propellant())) {
    throw FlightError(
                       file_text() + ", record " + std::to_string(records_read_) + ": by " +
                           fixed_text(rec_t_, 2) + " s the vehicle would burn " +
                           fixed_text(burned, 0) + " kg of propellant, more than the " +
                           fixed_text(v_.pad_propellant(), 0) + " kg it holds");
  }
}

void BoosterPhase::run_booster_to_time(Real span) {
  read_booster_record();
  span = span - s_.dt;
  while (span > 0.0L) {
    step();
    read_booster_record();
    span = span - s_.dt;
  }
  const Real full = s_.dt;
  s_.dt = s_.dt + span;
  step();
  s_.dt = full - s_.dt;
}

}  // namespace

void AscentFlight::fly_booster_phase() { BoosterPhase(*this).fly(); }

}  // namespace ascent
