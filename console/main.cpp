// ascent: interactive simulator of a launch vehicle's ascent to orbit.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/interruption.hpp"
#include "base/standard_descriptors.hpp"
#include "console/command_line.hpp"
#include "console/session.hpp"
#include "deck/vehicle_deck.hpp"

namespace {

/// Writes `text` (the help, the version, a deck) to the standard output:
/// status 0, or 1 with the reason on the standard error when it cannot be
/// written (a full disk, a closed descriptor).
int print(const std::string& text) {
  errno = 0;
  if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
  std::fprintf(stderr, "ascent: cannot write \"standard output\": %s\n",
               std::strerror(errno != 0 ? errno : EIO));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  ascent::reserve_standard_descriptors();
  ascent::CommandLine line;
  try {
    line = ascent::parse_command_line({argv + 1, static_cast<std::size_t>(argc - 1)});
  } catch (const ascent::UsageError& error) {
    std::fprintf(stderr, "ascent: %s\n%s", error.what(), ascent::usage_text(false).c_str());
    return 2;
  }
  if (line.help || line.version) {
    return print(line.help ? ascent::usage_text(true) : std::string("ascent " ASCENT_VERSION "\n"));
  }

  ascent::Session session(stdin, stdout);
  if (!line.vehicle_deck.empty()) {
    // A deck that cannot be flown stops the program before its first prompt.
    try {
      session.vehicle = ascent::read_vehicle_deck(line.vehicle_deck);
    } catch (const ascent::DeckError& error) {
      std::fprintf(stderr, "ascent: %s\n", error.what());
      return 2;
    }
    session.vehicle_deck = line.vehicle_deck;
  }
  if (line.print_deck) {
    return print(ascent::vehicle_deck_text(session.vehicle));
  }
  ascent::install_interruption_handlers();
  const int status = ascent::run_session(session, stdout);
  // Ended by a signal as the shell expects, once every file is whole.
  ascent::end_if_interrupted();
  return status;
}
