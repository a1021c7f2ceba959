// What the tests of ascent-trim share: a folder with the sample thrust file,
// the built tool started in it, and its command line as the tool reads it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
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

/// Each command line is refused as a bad one (status 2, nothing run), its
/// message naming the second of its pair.
inline void expect_refused(
    const std::vector<std::pair<std::vector<std::string>, std::string>>& command_lines) {
  for (const auto& [arguments, named] : command_lines) {
    const trim::CommandLineOutcome outcome = parsed(arguments);
    EXPECT_FALSE(outcome.line) << named;
    EXPECT_EQ(outcome.status, 2) << named;
    EXPECT_NE(outcome.standard_error.find(named), std::string::npos) << outcome.standard_error;
  }
}

}  // namespace ascent::testing
