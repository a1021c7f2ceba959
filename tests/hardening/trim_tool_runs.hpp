// What the tests of ascent-trim share: a folder with the sample thrust file,
// the built tool started in it, and its command line as the tool reads it.
#pragma once

#include <string>
#include <vector>

#include "hardening/hardening_support.hpp"
#include "hardening/running_program.hpp"
#include "trim/command_line.hpp"

namespace ascent::testing {

struct TrimFolder : TempDir {
  TrimFolder() { install_sample_thrust_file(*this); }
};

/// ascent-trim in `dir` with `arguments`, its standard input empty.
inline Launch trim_tool(const TempDir& dir, std::vector<std::string> arguments) {
  Launch launch = launch_of(ASCENT_TRIM_EXE, dir.path(), std::move(arguments));
  launch.input_file = "/dev/null";
  return launch;
}

/// The command line as the program reads it.
inline trim::CommandLineOutcome parsed(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "ascent-trim");
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  return trim::parse_command_line(static_cast<int>(argv.size()), argv.data());
}

}  // namespace ascent::testing
