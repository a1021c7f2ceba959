// Liftoff and booster phase: from the pad through the vertical rise, the
// pitch-over kick, the hold of the turn time and the recovery, to booster
// separation at 128.4 s. The boosters' thrust follows the booster thrust
// file, linearly between records; the core burns at constant thrust.
#include <cmath>
#include <string>

#include "atmosphere/standard_atmosphere.hpp"
#include "dynamics/earth.hpp"
#include "dynamics/trajectory_row.hpp"
#include "mission/booster_thrust_file.hpp"
#include "mission/vehicle.hpp"
#include "run/runtime_error.hpp"
#include "run/simulation.hpp"

namespace ascent {

using namespace vehicle;

namespace {

/// [rad/s] the kick and recovery pitch rate.
constexpr Extended turn_rate_radians() { return TURN_RATE * PI / 180.0L; }

/// [kg] all propellant on the pad: both boosters' and the core's.
constexpr Extended PAD_PROPELLANT = 2228306.0L;

/// [N] rounding the integrated thrust may gather over the booster phase.
constexpr Extended THRUST_ROUNDING = 1.0L;

/// A row in the trajectory table's layout for the vehicle standing upright
/// on the pad, its thrust acceleration given.
Line upright_row(const FlightState& s, Extended acceleration) {
  return trajectory_row_line(
      {s.t, acceleration, s.v_earth, s.h0, s.r0, 90.0L, 0.0L, 90.0L, 0.0L, s.mass()});
}

/// The flight of one booster phase: the thrust file and its running totals.
class BoosterPhase {
 public:
  explicit BoosterPhase(Simulation& simulation)
      : sim_(simulation),
        s_(simulation.state),
        file_(simulation.booster_thrust_path()) {}

  void fly();

 private:
  void set_up_on_pad();
  void lift_off();
  void climb_to_pitch_over();
  void find_pitch_over_point();
  void check_turn_fits_before_separation() const;
  void separate_boosters();

  void read_booster_record();
  void check_propellant_lasts() const;
  void run_booster_to_time();
  void step();
  [[noreturn]] void refuse_shifted_thrust_law(const std::string& what) const;

  Simulation& sim_;
  FlightState& s_;
  BoosterThrustFile file_;
  Real rec_t_;              ///< [s] time of the last record read
  Real rec_thrust_;         ///< [N] thrust of one booster at rec_t_
  Real prev_t_;             ///< [s] time of the record before
  Real prev_thrust_;        ///< [N] thrust of one booster at prev_t_
  Real booster_prop_used_;  ///< [kg] burned by one booster, record by record
  Real sea_level_loss_;     ///< [N] thrust lost to sea-level pressure
};

void BoosterPhase::set_up_on_pad() {
  s_.force_count = 3;
  s_.force(3).force_mass = 174000.0L;
  s_.force(2).force_mass = s_.force(3).force_mass + 1074908.0L;
  s_.force(1).force_mass = s_.force(2).force_mass + 1458480.0L;
  sim_.memory.liftoff_mass = s_.force(1).force_mass;
  s_.force(3).force_area = PI * 8.407L * 8.407L / 4.0L;
  s_.force(2).force_area = s_.force(3).force_area + 2.073L;
  s_.force(1).force_area =
      s_.force(2).force_area + BOOSTER_COUNT * (PI * 5.2883L * 5.2883L / 4.0L - 0.038L);
  for (int k = 1; k <= s_.force_count; ++k) {
    s_.force(k).max_force = SURFACE_GRAVITY * s_.force(k).force_mass;
    s_.force(k).max_force_t = 0.0L;
  }

  s_.ref_area = s_.force(1).force_area;
  s_.exit_area = BOOSTER_COUNT * PI * 3.8748L * 3.8748L / 4.0L + CORE_EXIT_AREA;
  sea_level_loss_ = s_.exit_area * P_SEA_LEVEL;
  s_.m_prop = PAD_PROPELLANT;
  s_.m_fixed = s_.force(1).force_mass - s_.m_prop;
  s_.t = 0.0L;
  s_.v_earth = std::cos(LAUNCH_LATITUDE * PI / 180.0L) * 2.0L * PI * R_EARTH / SIDEREAL_DAY;
  s_.vt = s_.v_earth;
  s_.h0 = s_.vr = s_.r0 = s_.pitch = 0.0L;
  s_.mdot_rate = s_.thrust_rate = s_.dV = 0.0L;
  s_.thrust_vac = CORE_THRUST;
  s_.mdot = -CORE_THRUST / CORE_EXHAUST_VELOCITY;

  sim_.io.output().write_line(upright_row(s_, SURFACE_GRAVITY));
}

void BoosterPhase::lift_off() {
  const BoosterRecord first = file_.read_record();
  rec_t_ = first.t;
  rec_thrust_ = first.thrust;
  s_.dt = rec_t_;
  s_.thrust_rate = rec_thrust_ * 2.0L / s_.dt;
  s_.mdot_rate = -s_.thrust_rate / BOOSTER_EXHAUST_VELOCITY;
  booster_prop_used_ = rec_thrust_ * 0.5L * s_.dt / BOOSTER_EXHAUST_VELOCITY;
  check_propellant_lasts();

  // Thrust less back-pressure loss equals the weight: a quadratic in time.
  const Real a = -SURFACE_GRAVITY * s_.mdot_rate / 2.0L;
  const Real b = -SURFACE_GRAVITY * s_.mdot + s_.thrust_rate;
  const Real c = (s_.thrust_vac - sea_level_loss_) - (s_.m_fixed + s_.m_prop) * SURFACE_GRAVITY;
  const Real t = (std::sqrt(b * b - 4.0L * a * c) - b) / (2.0L * a);
  if (!(t > 0.0L && t <= rec_t_)) {
    throw RuntimeError(ErrorCode::range_check,
                       "the booster thrust file \"" + file_.name() +
                           "\", record 1: the thrust is too small for liftoff by " +
                           std::string(Line{}.fixed(rec_t_, 1, 2).view()) + " s");
  }
  s_.t = t;
  s_.m_prop = s_.m_prop + s_.mdot * s_.t + s_.mdot_rate * s_.t * s_.t / 2.0L;
  s_.thrust_vac = s_.thrust_vac + s_.thrust_rate * s_.t;
  s_.mdot = s_.mdot + s_.mdot_rate * s_.t;
  sim_.io.output().write_line(upright_row(s_, (s_.thrust_vac - sea_level_loss_) / s_.mass()));
  if (sim_.observer != nullptr) sim_.observer->on_liftoff(s_);

  s_.dt = s_.dt - s_.t;
  s_.pitch_rate = 0.0L;
  s_.steer_mode = FLIGHT_PATH_STEERING;
  s_.steer_rel = true;
  step();
  sim_.memory.liftoff_thrust = s_.thrust_vac - sea_level_loss_;
  sim_.memory.liftoff_accel = sim_.memory.liftoff_thrust / s_.mass();
}

void BoosterPhase::climb_to_pitch_over() {
  do {
    if (rec_t_ >= BOOSTER_SEPARATION_TIME) {
      throw RuntimeError(ErrorCode::range_check,
                         "the booster thrust file \"" + file_.name() +
                             "\": the vehicle does not climb above 110 m before booster separation");
    }
    read_booster_record();
    step();
  } while (!(s_.h0 > PITCH_OVER_ALTITUDE));
}

void BoosterPhase::find_pitch_over_point() {
  s_.dt = -s_.dt;
  step();
  s_.t_rem = -s_.dt;
  s_.dt = -s_.dt / 10.0L;
  s_.h_stop = PITCH_OVER_ALTITUDE;
  sim_.run_to_altitude();
  s_.dt = -s_.dt / 10.0L;
  sim_.run_to_altitude();
}

void BoosterPhase::check_turn_fits_before_separation() const {
  const Real recovery_end = s_.t + 2.0L + sim_.memory.turn_time;
  if (recovery_end > BOOSTER_SEPARATION_TIME) {
    throw RunAbandoned(std::string(Line{}
                                       .text("Error! Turn time too long: the recovery would end at ")
                                       .fixed(recovery_end, 1, 2)
                                       .text(" s, after booster separation at ")
                                       .fixed(BOOSTER_SEPARATION_TIME, 1, 1)
                                       .text(" s.")
                                       .view()));
  }
}

void BoosterPhase::separate_boosters() {
  // The flight stopped inside the last record interval: take back what one
  // booster would burn in the rest of it, at the mean thrust of that part.
  booster_prop_used_ = booster_prop_used_ - s_.dt *
                                                (rec_thrust_ - 0.5L * s_.dt * (rec_thrust_ - prev_thrust_) /
                                                                   (rec_t_ - prev_t_)) /
                                                BOOSTER_EXHAUST_VELOCITY;
  const Real residual = BOOSTER_PROPELLANT - booster_prop_used_;
  s_.m_prop = s_.m_prop - BOOSTER_COUNT * residual;
  sim_.write_event(Line{}
                       .text("Booster seperation! Residual booster propellant = ")
                       .fixed(residual, 1, 0)
                       .text(" kg.")
                       .view());
  // What stays is the core's propellant; the records' count and the flight
  // agree on it unless the thrust law was shifted.
  if (!(s_.m_prop > 0.0L)) {
    refuse_shifted_thrust_law("the core's propellant is used up at booster separation");
  }
  file_.close();
}

void BoosterPhase::fly() {
  set_up_on_pad();
  lift_off();
  climb_to_pitch_over();
  find_pitch_over_point();
  check_turn_fits_before_separation();

  // Kick: one second at -0.5 deg/s, split at the record time inside it.
  sim_.write_event("Pitch over!");
  s_.pitch_rate = -turn_rate_radians();
  s_.dt = s_.t_rem;
  step();
  s_.t_rem = 1.0L - s_.dt;
  read_booster_record();
  s_.dt = s_.t_rem;
  step();

  // Hold the offset for the turn time.
  s_.pitch_rate = 0.0L;
  s_.dt = 1.0L - s_.dt;
  step();
  s_.t_rem = sim_.memory.turn_time - s_.dt;
  run_booster_to_time();

  // Recovery: one second at +0.5 deg/s.
  s_.pitch_rate = turn_rate_radians();
  step();
  s_.t_rem = 1.0L - s_.dt;
  read_booster_record();
  s_.dt = s_.t_rem;
  step();
  s_.pitch = 0.0L;
  sim_.write_event("End turn.");

  // Booster burn to separation.
  s_.pitch_rate = 0.0L;
  s_.dt = 1.0L - s_.dt;
  step();
  s_.t_rem = BOOSTER_SEPARATION_TIME - s_.t;
  run_booster_to_time();
  separate_boosters();
}

void BoosterPhase::read_booster_record() {
  prev_t_ = rec_t_;
  prev_thrust_ = rec_thrust_;
  const BoosterRecord record = file_.read_record();
  rec_t_ = record.t;
  rec_thrust_ = record.thrust;
  s_.dt = rec_t_ - prev_t_;
  if (s_.dt > 1.0L) {
    sim_.io.output().write_line("Error! Booster time increments must be at most 1 second");
  }
  s_.thrust_rate = (rec_thrust_ - prev_thrust_) * 2.0L / s_.dt;
  s_.mdot_rate = -s_.thrust_rate / BOOSTER_EXHAUST_VELOCITY;
  booster_prop_used_ =
      booster_prop_used_ + (rec_thrust_ + prev_thrust_) * 0.5L * s_.dt / BOOSTER_EXHAUST_VELOCITY;
  check_propellant_lasts();
}

void BoosterPhase::step() {
  sim_.rk4_step();
  // With records 1 s apart around the kick and the recovery the integrated
  // thrust meets every record. Other spacings shift each record's thrust law
  // in time; after steep jumps the boosters' thrust can then fall below zero,
  // or the mass run out, and the flight would leave the range of the numbers.
  const char* broken = s_.thrust_vac < CORE_THRUST - THRUST_ROUNDING
                           ? "the boosters' thrust falls below zero"
                       : !(s_.mass() > 0.0L) ? "the vehicle's mass is used up"
                                             : nullptr;
  if (broken != nullptr) {
    refuse_shifted_thrust_law(broken + std::string(" at t = ") +
                              std::string(Line{}.fixed(s_.t, 1, 2).view()) + " s");
  }
}

void BoosterPhase::refuse_shifted_thrust_law(const std::string& what) const {
  throw RuntimeError(ErrorCode::range_check,
                     "the booster thrust file \"" + file_.name() + "\": flown along its records, " +
                         what +
                         " (records other than 1 s apart around the kick or the recovery shift "
                         "the thrust law in time)");
}

void BoosterPhase::check_propellant_lasts() const {
  // A thrust history may burn more than the boosters' load (the residual is
  // then negative), but not more than the vehicle holds: the mass would fall
  // to nothing and the flight would leave the range of the numbers.
  const Real burned =
      BOOSTER_COUNT * booster_prop_used_ + CORE_THRUST / CORE_EXHAUST_VELOCITY * rec_t_;
  if (!(burned < PAD_PROPELLANT)) {
    throw RuntimeError(
        ErrorCode::range_check,
        "the booster thrust file \"" + file_.name() + "\", record " +
            std::to_string(file_.records_read()) + ": by " +
            std::string(Line{}.fixed(rec_t_, 1, 2).view()) + " s the vehicle would burn " +
            std::string(Line{}.fixed(burned, 1, 0).view()) + " kg of propellant, more than the " +
            std::string(Line{}.fixed(PAD_PROPELLANT, 1, 0).view()) + " kg it holds");
  }
}

void BoosterPhase::run_booster_to_time() {
  read_booster_record();
  s_.t_rem = s_.t_rem - s_.dt;
  while (s_.t_rem > 0.0L) {
    step();
    read_booster_record();
    s_.t_rem = s_.t_rem - s_.dt;
  }
  const Real full = s_.dt;
  s_.dt = s_.dt + s_.t_rem;
  step();
  s_.dt = full - s_.dt;
}

}  // namespace

void Simulation::fly_booster_phase() { BoosterPhase(*this).fly(); }

}  // namespace ascent
