// Fuzz target: the vehicle deck reader and the dispersion set reader. The
// input is the text of a deck. It is either refused with a DeckError that
// names the deck, or read into a vehicle whose every value lies in its
// field's range, whose values do not conflict, and whose written deck reads
// back to the same vehicle. The same text read as a dispersion set is either
// refused with a message that names it, or gives a set of finite
// distributions. Neither reader may overflow the stack however deep the text
// nests (the corpus holds keys, headers and values nested past the bound).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <cmath>

#include "deck/vehicle_checks.hpp"
#include "deck/vehicle_deck.hpp"
#include "fuzz_support.hpp"
#include "mission/vehicle_fields.hpp"
#include "studies/dispersion_file.hpp"

namespace {

using ascent::fuzz::check;

void read_as_dispersion_set(std::string_view text) {
  namespace studies = ascent::studies;
  try {
    const studies::DispersionSet set = studies::parse_dispersion_set(text, "set.toml");
    for (const studies::Dispersion& d : set.entries()) {
      check(std::isfinite(d.distribution.sigma) && d.distribution.sigma >= 0.0);
      check(std::isfinite(d.distribution.low) && std::isfinite(d.distribution.high));
      check(d.distribution.low <= d.distribution.high);
    }
  } catch (const studies::DispersionFileError& refusal) {
    check(std::string_view(refusal.what()).starts_with("set.toml"));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  read_as_dispersion_set(text);
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
