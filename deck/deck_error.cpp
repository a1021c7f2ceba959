#include "deck/deck_error.hpp"

namespace ascent {

namespace {

std::string located(const DeckPlace& place, const std::string& what) {
  if (place.file.empty()) return what;
  std::string text = place.file;
  if (place.line > 0) {
    text += ':' + std::to_string(place.line) + ':' + std::to_string(place.column);
  }
  return text + ": " + what;
}

}  // namespace

DeckError::DeckError(const DeckPlace& place, const std::string& what)
    : InputError(ErrorCode::range_check, located(place, what)), place_(place), problem_(what) {}

}  // namespace ascent
