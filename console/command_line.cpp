#include "console/command_line.hpp"

#include <string_view>

namespace ascent {

namespace {

constexpr std::string_view VEHICLE_OPTION = "--vehicle";

}  // namespace

CommandLine parse_command_line(std::span<const char* const> arguments) {
  CommandLine line;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    std::string_view deck;
    if (argument == VEHICLE_OPTION) {
      if (i + 1 == arguments.size()) throw UsageError("--vehicle needs a FILE");
      deck = arguments[++i];
    } else if (argument.starts_with("--vehicle=")) {
      deck = argument.substr(VEHICLE_OPTION.size() + 1);
    } else if (argument == "--print-deck") {
      line.print_deck = true;
      continue;
    } else if (argument == "--help" || argument == "-h") {
      line.help = true;
      continue;
    } else if (argument == "--version") {
      line.version = true;
      continue;
    } else {
      throw UsageError("unknown argument \"" + std::string(argument) + "\"");
    }
    if (deck.empty()) throw UsageError("--vehicle needs a FILE");
    if (!line.vehicle_deck.empty()) throw UsageError("--vehicle is given twice");
    line.vehicle_deck = deck;
  }
  return line;
}

std::string usage_text(bool full) {
  std::string text = "Usage: ascent [--vehicle FILE] [--print-deck] | --help | --version\n";
  if (!full) return text + "Try \"ascent --help\".\n";
  return text +
         "Flies a launch vehicle's ascent to orbit, one run per turn time and maximum angle\n"
         "of attack answered at the prompts; the booster thrust file s1.dat is read from\n"
         "the working folder.\n"
         "\n"
         "  --vehicle FILE  fly the vehicle of the vehicle deck FILE (TOML; see\n"
         "                  data/vehicle.toml). Without it the built-in vehicle flies,\n"
         "                  the one data/vehicle.toml describes.\n"
         "  --print-deck    write the vehicle deck of the vehicle that would fly to the\n"
         "                  standard output, and end\n"
         "  --help          this text\n"
         "  --version       the program's version\n"
         "\n"
         "Exit status: 0; 2 for a bad command line or a vehicle deck that cannot be\n"
         "flown; otherwise the error number of the runtime error that ended the session.\n";
}

}  // namespace ascent
