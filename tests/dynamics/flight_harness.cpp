#include "dynamics/flight_harness.hpp"

#include <cstdlib>
#include <stdexcept>
#include <utility>
#include <variant>

namespace ascent::testing {

namespace {

std::FILE* open_input(std::string& text) {
  std::FILE* in = fmemopen(text.data(), text.size(), "r");
  if (in == nullptr) throw std::runtime_error("cannot open the answers in memory");
  return in;
}

std::FILE* open_output(Output where, char** buffer, std::size_t* size) {
  std::FILE* out =
      where == Output::discard ? std::fopen("/dev/null", "wb") : open_memstream(buffer, size);
  if (out == nullptr) throw std::runtime_error("cannot open the output stream");
  return out;
}

}  // namespace

FlightHarness::FlightHarness(Output where)
    : input_(where == Output::file ? "flight.txt\n" : "\n"),
      in_(open_input(input_)),
      out_(open_output(where, &buffer_, &size_)),
      // A folder of its own also without an output file: a session locks its
      // folder, and a test may hold two harnesses at once.
      dir_(std::make_unique<TempDir>()),
      io(in_, out_, dir_->path()),
      sim(standard_atmosphere(), this) {
  io.open_channels();
  std::fflush(out_);
  prompt_end_ = size_;
}

FlightHarness::~FlightHarness() {
  io.abandon();
  std::fclose(out_);
  std::fclose(in_);
  std::free(buffer_);
}

void FlightHarness::after_step(const FlightState& state, const StepQuantities& derived) {
  write_trajectory_row(io.output(), state, derived);
  if (io.output_to_file()) write_plot_lines(io.plots(), state, derived);
  if (observer != nullptr) observer->on_step(state, derived);
}

std::string FlightHarness::output() {
  io.output().flush();
  std::fflush(out_);
  if (buffer_ == nullptr) return {};
  return std::string(buffer_ + prompt_end_, size_ - prompt_end_);
}

std::vector<std::string> FlightHarness::output_lines() {
  const std::string text = output();
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = text.find("\r\n"); end != std::string::npos;
       end = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string FlightHarness::file(std::string_view name) {
  io.output().flush();
  io.plots().speed.flush();
  io.plots().height.flush();
  io.plots().accel.flush();
  io.plots().dynpres.flush();
  return dir_->read(name);
}

void set_coast(FlightState& s, double h0, double vt, double vr) {
  s.steering.law = VacuumSteering{};
  s.h0 = h0;
  s.vt = vt;
  s.vr = vr;
  s.stage.m_fixed = 1000.0;
  s.m_prop = 0.0;
  s.thrust_vac = 0.0;
  s.mdot = 0.0;
  s.dt = 1.0;
}

void set_vacuum_burn(FlightState& s) {
  s.steering.law = VacuumSteering{};
  s.h0 = 180000.0;
  s.vt = 6000.0;
  s.vr = 150.0;
  s.pitch = 0.05;
  s.stage.pitch_rate = 0.002;
  s.stage.m_fixed = 4000.0;
  s.m_prop = 16000.0;
  s.mdot = -60.0;
  s.stage.mdot_rate = 0.05;
  s.thrust_vac = 200000.0;
  s.stage.thrust_rate = -400.0;
  s.stage.v_earth = 408.0;
  s.dt = 1.0;
}

void set_core_climb(FlightState& s) {
  s.steering.law = RelativePathSteering{};
  s.h0 = 30000.0;
  s.vt = 1600.0;
  s.vr = 450.0;
  s.stage.v_earth = 408.0;
  s.stage.m_fixed = 300000.0;
  s.m_prop = 600000.0;
  s.mdot = -2100.0;
  s.thrust_vac = 9282548.16;
  s.stage.exit_area = 16.67;
  s.stage.ref_area = 57.58;
  s.dt = 1.0;
}

std::vector<SteeringLaw> every_steering_law() {
  return []<std::size_t... I>(std::index_sequence<I...>) {
    return std::vector<SteeringLaw>{SteeringLaw{std::in_place_index<I>}...};
  }(std::make_index_sequence<std::variant_size_v<SteeringLaw>>{});
}

std::vector<double> integrated(const FlightState& s) {
  std::vector<double> values;
  for (Real StateVector::*x : StateVector::components) values.push_back((s.*x).value());
  values.push_back(s.t.value());
  return values;
}

}  // namespace ascent::testing
