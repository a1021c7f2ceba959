// Helpers of the staged deck tests: a deck changed in one place, where a
// piece of it starts, and what the reader says when it refuses the deck.
#pragma once

#include <algorithm>
#include <stdexcept>
#include <string>

#include "deck/staged_deck.hpp"

namespace ascent::testing {

/// The deck with `from` replaced by `to` (which must be there).
inline std::string with(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  if (at == std::string::npos) throw std::runtime_error("not in the deck: " + from);
  return text.replace(at, from.size(), to);
}

/// "deck.toml:<line>:<column>: ": where `needle` starts in `text`.
inline std::string place_of(const std::string& text, const std::string& needle) {
  const std::size_t at = text.find(needle);
  const std::size_t line_start = text.rfind('\n', at) + 1;
  const long line = std::count(text.begin(), text.begin() + static_cast<long>(at), '\n') + 1;
  return "deck.toml:" + std::to_string(line) + ":" + std::to_string(at - line_start + 1) + ": ";
}

/// The message of the refusal of `text`, read as "deck.toml".
inline std::string refusal(const std::string& text) {
  try {
    (void)read_staged_deck_text(text, "deck.toml");
  } catch (const DeckError& e) {
    return e.what();
  }
  return "read without refusal";
}

}  // namespace ascent::testing
