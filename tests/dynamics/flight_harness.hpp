// Shared set-up of the flight-dynamics tests: the integrator with the table
// writers listening, their channels open on memory (or on files in a fresh
// folder), and a few flight states to start from.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "console/channels.hpp"
#include "dynamics/flight_dynamics.hpp"
#include "mission/flight_event.hpp"
#include "support/session.hpp"

namespace ascent::testing {

/// Where the output channel of a harness goes.
enum class Output {
  memory,   ///< the standard output, held in memory (no output file named)
  file,     ///< a named output file in a fresh folder, with the four plot files
  discard,  ///< the standard output, thrown away (long runs)
};

class FlightHarness : private StepListener {
  // The streams and the folder come first: the simulation is built on them.
  std::string input_;
  std::FILE* in_;
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* out_;
  std::unique_ptr<TempDir> dir_;
  std::size_t prompt_end_ = 0;  // output before this offset is the set-up prompt

 public:
  explicit FlightHarness(Output where = Output::memory);
  ~FlightHarness();
  FlightHarness(const FlightHarness&) = delete;
  FlightHarness& operator=(const FlightHarness&) = delete;

  Channels io;
  FlightDynamics sim;
  /// Told of every step after its row is written, if set.
  FlightObserver* observer = nullptr;
  FlightState& state() { return sim.state; }

  /// Everything written to the output channel so far.
  std::string output();
  /// The output split at its CR LF line ends (the set-up prompt excluded).
  std::vector<std::string> output_lines();
  /// The bytes of a file in the working folder (Output::file), channels flushed.
  std::string file(std::string_view name);

 private:
  void after_step(const FlightState& state, const StepQuantities& derived) override;
};

/// Every step a simulation reports: the state after it and its derived values.
class StepRecorder : public FlightObserver {
 public:
  struct Step {
    FlightState state;
    StepQuantities derived;
  };
  std::vector<Step> steps;

  void on_step(const FlightState& state, const StepQuantities& derived) override {
    steps.push_back({state, derived});
  }
};

/// An unpowered vehicle of 1000 kg in vacuum steering at altitude `h0` [m]
/// with inertial velocity (vt, vr) [m/s].
void set_coast(FlightState& s, double h0, double vt, double vr);

/// A burning upper stage in vacuum steering: 200 kN falling by 400 N/s, 60 kg/s
/// out of 20 t, pitching up slowly, at 180 km on a climbing suborbital path.
void set_vacuum_burn(FlightState& s);

/// The core stage in the air: 30 km, 1600 m/s eastward over the launch site,
/// 9.3 MN vacuum thrust on a 900 t vehicle, Earth-relative steering.
void set_core_climb(FlightState& s);

/// Every registered steering law, each as its default value.
std::vector<SteeringLaw> every_steering_law();

/// The components of the state vector and t, for comparing states exactly.
std::vector<double> integrated(const FlightState& s);

}  // namespace ascent::testing
