// Fuzz target: the vehicle deck reader. The input is the text of a deck. It
// is either refused with a DeckError that names the deck, or read into a
// vehicle whose every value lies in its field's range, whose values do not
// conflict, and whose written deck reads back to the same vehicle.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "deck/vehicle_checks.hpp"
#include "deck/vehicle_deck.hpp"
#include "fuzz_support.hpp"
#include "mission/vehicle_fields.hpp"

namespace {

using ascent::fuzz::check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ascent::Vehicle vehicle;
  try {
    vehicle = ascent::read_vehicle_deck_text(text, "deck.toml");
  } catch (const ascent::DeckError& refusal) {
    check(std::string_view(refusal.what()).starts_with("deck.toml"));
    check(!refusal.problem().empty());
    return 0;
  }
  for (const ascent::VehicleField& f : ascent::vehicle_fields()) {
    const double x = f.get(vehicle);
    check(x >= f.minimum && x <= f.maximum);
  }
  check(!ascent::vehicle_conflict(vehicle));
  check(ascent::read_vehicle_deck_text(ascent::vehicle_deck_text(vehicle), "again.toml") ==
        vehicle);
  return 0;
}
