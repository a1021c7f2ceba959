// Fuzz target: ascent-trim's command line. The input is the arguments after
// the program's name, separated by NUL bytes. The reading must never crash
// or end the process; it ends with help (0), a bad command line (2, with a
// message), or settings whose every number is finite and within its
// option's range, so that the tool's work can start on them.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.hpp"
#include "trim/command_line.hpp"
#include "trim/reports.hpp"
#include "studies/sweep.hpp"

namespace {

using ascent::fuzz::check;

constexpr std::size_t MAX_ARGUMENTS = 24;

bool within(double value, double minimum, double maximum) {
  return std::isfinite(value) && value >= minimum && value <= maximum;
}

void check_settings(const ascent::trim::CommandLine& line) {
  using namespace ascent::trim;
  using namespace ascent::studies;
  const TrimSettings& settings = line.settings;
  check(within(settings.tolerance, 0.001, 100000.0));
  check(within(settings.start_maxa, 0.001, settings.largest_maxa));
  check(settings.max_flights >= 2 && settings.max_flights <= 10000);
  if (line.command == Command::sweep) {
    check(within(line.from, SWEEP_FIRST_TURN_TIME, SWEEP_LAST_TURN_TIME));
    check(within(line.to, line.from, SWEEP_LAST_TURN_TIME));
    check(within(line.step, SWEEP_SMALLEST_STEP, SWEEP_LAST_TURN_TIME));
    check(line.jobs <= 1024);
    const TurnTimes times = TurnTimes::between(line.from, line.to, line.step);
    check(times.size() >= 1 && static_cast<double>(times.size()) <= MAX_TURN_TIMES);
    check(std::isfinite(times[times.size() - 1].value));
  } else if (line.command == Command::optimize) {
    // The turn times searched, and limits that are none (0) or positive.
    check(within(line.from, SWEEP_FIRST_TURN_TIME, SWEEP_LAST_TURN_TIME));
    check(within(line.to, line.from, SWEEP_LAST_TURN_TIME) && line.from < line.to);
    for (const double limit : {line.limits.max_dynamic_pressure, line.limits.max_q_alpha,
                               line.limits.max_axial_acceleration}) {
      check(within(limit, 0.0, std::numeric_limits<double>::max()));
    }
  } else if (!line.turn_time.text.empty()) {
    check(std::isfinite(line.turn_time.value) && line.turn_time.value >= 1.0);
  } else {
    // No turn time typed: a study takes its plan's, a staged deck flies none.
    const bool from_plan = line.command == Command::dispersions && !line.dispersions.plan_file.empty();
    const bool staged = (line.command == Command::events || line.command == Command::history ||
                         line.command == Command::impacts) &&
                        !line.vehicle_file.empty();
    check(from_plan || staged || line.command == Command::capability);
  }
  // The reports' header shows the target and tolerance: it needs them finite.
  std::ostringstream header;
  write_trade_header(header, settings, line.format);
  check(header.str().find("nan") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> arguments{"ascent-trim"};
  for (std::size_t start = 0; start <= input.size() && arguments.size() <= MAX_ARGUMENTS;) {
    const std::size_t end = std::min(input.find('\0', start), input.size());
    arguments.emplace_back(input.substr(start, end - start));
    start = end + 1;
  }
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());

  const ascent::trim::CommandLineOutcome outcome =
      ascent::trim::parse_command_line(static_cast<int>(argv.size()), argv.data());
  if (outcome.line) {
    check(outcome.status == 0);
    check_settings(*outcome.line);
  } else {
    check(outcome.status == 0 || outcome.status == 2);
    check(outcome.status == 0 ? !outcome.standard_output.empty() : !outcome.standard_error.empty());
  }
  return 0;
}
