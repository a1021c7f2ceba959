// Fuzz target: the staged deck reader. The input is the text of a deck. It
// is either refused with a DeckError that names the deck and says what is
// wrong, or read into a vehicle that the library's own checks accept: every
// number finite and in range, every trigger naming an element, no events
// waiting on each other, no jettison before its ignition, a launch azimuth.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "deck/staged_deck.hpp"
#include "fuzz_support.hpp"
#include "mission/staged_checks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using ascent::fuzz::check;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ascent::StagedVehicle vehicle;
  try {
    vehicle = ascent::read_staged_deck_text(text, "deck.toml");
  } catch (const ascent::DeckError& refusal) {
    check(std::string_view(refusal.what()).starts_with("deck.toml"));
    check(!refusal.problem().empty());
    return 0;
  }
  check(!ascent::staged_vehicle_fault(vehicle));
  check(vehicle.launch_azimuth().has_value());
  check(!vehicle.elements.empty() && !vehicle.phases.empty());
  return 0;
}
