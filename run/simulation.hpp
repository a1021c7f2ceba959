// One simulation: the flight state, the atmosphere tables, the text channels
// and the memory carried from run to run, with the operations that act on
// them. Several simulations can live in one process; nothing is global.
#pragma once

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string_view>

#include "atmosphere/atmosphere.hpp"
#include "dynamics/flight_state.hpp"
#include "dynamics/step_quantities.hpp"
#include "run/channels.hpp"

namespace ascent {

/// What the dialogue and the phases keep between the steps of a run and
/// from one run to the next.
struct RunMemory {
  Real turn_time;           ///< [s] last answer to the turn-time prompt
  Real previous_turn_time;  ///< [s] turn time of the last run flown

  // Recommended maximum angle of attack: a secant over the runs of one turn time.
  Real previous_maxa;              ///< [rad]
  Real previous_average_altitude;  ///< [m]
  Real recommended_maxa;           ///< [rad]

  Real liftoff_mass;    ///< [kg] total mass on the pad
  Real liftoff_thrust;  ///< [N] effective thrust after the first step
  Real liftoff_accel;   ///< [m/s^2] liftoff_thrust over the mass at that moment
  Real dV_sep;          ///< [m/s] dV at the last stage separation

  // Upper-stage mass budget and orbit of the last run.
  Real S3_Mt;               ///< [kg] interstage, third stage and payload
  Real S3_Mi;               ///< [kg] interstage
  Real S3_Mp;               ///< [kg] main propellant used
  Real SC_M;                ///< [kg] spacecraft mass the stage can carry
  Real reserve_propellant;  ///< [kg]
  Real average_altitude;    ///< [m]
  Real altitude_deviation;  ///< [m]
};

/// A run that cannot be flown on, for a reason the user can change: its
/// message (an "Error! ..." line) ends the run and the dialogue goes on.
class RunAbandoned : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Receives every step and every event line of a flight; for tools that
/// record a flight besides the text the program writes.
class FlightObserver {
 public:
  virtual ~FlightObserver() = default;
  virtual void on_step(const FlightState& state, const StepQuantities& derived) = 0;
  virtual void on_event(std::string_view line, const FlightState& state) = 0;
  /// The moment of liftoff, which is not a step: the state of the liftoff row.
  virtual void on_liftoff(const FlightState& /*state*/) {}
};

class Simulation {
 public:
  /// The program reads its answers from `standard_input`, writes prompts (and
  /// the table, without an output file) to `standard_output`, and finds and
  /// writes its files in `work_dir`.
  Simulation(std::FILE* standard_input, std::FILE* standard_output,
             std::filesystem::path work_dir = ".");

  FlightState state;
  Atmosphere air;
  Channels io;
  RunMemory memory;
  FlightObserver* observer = nullptr;

  // Run control.
  /// The whole dialogue: set-up, runs until a negative turn time, closing.
  void run_dialogue();
  void set_up_run_control();
  /// One run for the turn time in memory: the three mission phases in order.
  void fly_run();

  // Flight dynamics.
  /// The nine increments (derivatives times dt) at a trial state.
  [[nodiscard]] StateVector eval_derivatives(const StateVector& trial);
  /// One classical Runge-Kutta step of size dt, its derived quantities and its row.
  void rk4_step();
  /// Flies t_rem seconds in steps of dt, the last one shortened.
  void run_for_time();
  /// Steps until h0 > h_stop, then takes the last step back.
  void run_to_altitude();

  // Mission.
  void fly_booster_phase();
  void fly_core_phase();
  void fly_upper_stage_phase();
  /// Writes an event line to the output channel and tells the observer.
  void write_event(std::string_view line);

  /// Write the upper stage's constants file at the end of every run.
  bool write_constants_file = true;
  /// The booster thrust file every run reads: empty (the default) is
  /// BOOSTER_THRUST_FILE in the working folder.
  std::filesystem::path booster_thrust_file;
  [[nodiscard]] std::filesystem::path booster_thrust_path() const;

 private:
  void write_table_header();
};

/// Runs the dialogue and turns a failure into its report on `report_stream`
/// (on the standard error when that stream cannot take it).
/// Returns the exit status: 0, or the error number of the failure.
int run_session(Simulation& simulation, std::FILE* report_stream);

}  // namespace ascent
