#include "tools/trim/flight_runner.hpp"

#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "dynamics/earth.hpp"
#include "run/number.hpp"
#include "run/runtime_error.hpp"

namespace ascent::trim {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

/// A stream that takes every byte and keeps none: the table and the prompts
/// of a flight nobody reads, without a system call per buffer.
File discarding_stream() {
  cookie_io_functions_t functions{};
  functions.write = [](void*, const char*, std::size_t size) -> ssize_t {
    return static_cast<ssize_t>(size);
  };
  File stream(fopencookie(nullptr, "w", functions));
  if (!stream) throw std::runtime_error("cannot open a stream for the discarded output");
  return stream;
}

/// The answers as a stream the program reads from.
File answer_stream(std::string& answers) {
  File stream(fmemopen(answers.data(), answers.size(), "r"));
  if (!stream) throw std::runtime_error("cannot open a stream for the answers");
  return stream;
}

}  // namespace

std::optional<TypedNumber> typed_number(std::string_view text) {
  const std::optional<double> value = parse_decimal_real(text);
  if (!value) return std::nullopt;
  return TypedNumber{std::string(text), *value};
}

TypedNumber typed_number(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return *typed_number(text);
}

FlightOutcome fly(const FlightRequest& request) {
  // An empty line for the output file name, then the maximum angle of attack
  // that the core phase asks for; the turn time is set as the dialogue sets it.
  std::string answers = "\n" + request.maxa.text + "\n";
  const File input = answer_stream(answers);
  const File output = discarding_stream();

  Simulation simulation(input.get(), output.get());
  simulation.booster_thrust_file = request.thrust_file;
  simulation.write_constants_file = false;
  simulation.observer = request.observer;

  FlightOutcome outcome;
  try {
    simulation.set_up_run_control();
    simulation.memory.turn_time = request.turn_time.value;
    simulation.memory.previous_turn_time = request.turn_time.value;
    try {
      simulation.fly_run();
      outcome.in_orbit = true;
    } catch (const RunAbandoned& reason) {
      outcome.abandoned = reason.what();
    }
    simulation.io.close_channels();
  } catch (const RuntimeError&) {
    simulation.io.abandon();
    throw;
  }

  // The core phase asks for the angle: a run abandoned before it leaves the
  // answer unread.
  outcome.maxa_flown = std::ftell(input.get()) == static_cast<long>(answers.size());
  if (outcome.in_orbit) {
    const FlightState& s = simulation.state;
    const RunMemory& memory = simulation.memory;
    outcome.perigee = s.perigee.value();
    outcome.apogee = s.apogee.value();
    outcome.average_altitude = memory.average_altitude.value();
    outcome.remaining_propellant = s.m_prop.value();
    outcome.SC_M = memory.SC_M.value();
    outcome.dV = s.dV.value();
    outcome.recommended_maxa = static_cast<double>(memory.recommended_maxa * 180.0L / PI);
  }
  return outcome;
}

int fly_with_files(const std::filesystem::path& thrust_file, const TypedNumber& turn_time,
                   const TypedNumber& maxa, const std::filesystem::path& folder,
                   const std::string& output_name, std::FILE* report) {
  std::string answers = output_name + "\n" + turn_time.text + "\n" + maxa.text + "\n-1\n";
  const File input = answer_stream(answers);
  const File console = discarding_stream();
  Simulation simulation(input.get(), console.get(), folder);
  simulation.booster_thrust_file = thrust_file;
  return run_session(simulation, report);
}

}  // namespace ascent::trim
