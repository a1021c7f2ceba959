// The command line of the interactive program:
//   ascent [--vehicle FILE] [--print-deck] | --help | --version
#pragma once

#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>

namespace ascent {

struct CommandLine {
  /// The vehicle deck to fly; empty for the built-in vehicle (that of data/vehicle.toml).
  std::filesystem::path vehicle_deck;
  bool print_deck = false;  ///< write the deck of the vehicle and end, flying nothing
  bool help = false;
  bool version = false;
};

/// An argument the program does not take. Exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Reads the arguments after the program's name. Throws UsageError.
[[nodiscard]] CommandLine parse_command_line(std::span<const char* const> arguments);

/// The usage line, and with `full` what each option does.
[[nodiscard]] std::string usage_text(bool full);

}  // namespace ascent
