// The text of a deck file: a regular file of at most MAX_DECK_SIZE bytes.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace ascent {

/// Larger files are refused unread: a deck is a few kilobytes.
inline constexpr std::size_t MAX_DECK_SIZE = 1 << 20;

/// The whole text of the deck at `path`, `what` to the program ("the vehicle
/// deck"). Throws DeckError when it cannot be read, is not a regular file
/// (a FIFO is never waited on) or is larger than MAX_DECK_SIZE.
[[nodiscard]] std::string read_deck_file(const std::filesystem::path& path, std::string_view what);

}  // namespace ascent
