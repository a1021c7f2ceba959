// ascent: interactive simulator of a launch vehicle's ascent to orbit.
#include <cstdio>

#include "base/interruption.hpp"
#include "base/standard_descriptors.hpp"
#include "console/command_line.hpp"
#include "console/session.hpp"
#include "deck/vehicle_deck.hpp"

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
    const std::string text =
        line.help ? ascent::usage_text(true) : std::string("ascent " ASCENT_VERSION "\n");
    return std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0 ? 1 : 0;
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
    const std::string deck = ascent::vehicle_deck_text(session.vehicle);
    return std::fputs(deck.c_str(), stdout) < 0 || std::fflush(stdout) != 0 ? 1 : 0;
  }
  ascent::install_interruption_handlers();
  const int status = ascent::run_session(session, stdout);
  // Ended by a signal as the shell expects, once every file is whole.
  ascent::end_if_interrupted();
  return status;
}
