// Vehicle decks: a Vehicle as a TOML file, one table per group of fields
// ([launch_site], [boosters], ..., [target]) and every key of each group,
// its unit in a comment. Keys and ranges are those of vehicle_fields().
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "deck/deck_error.hpp"
#include "deck/deck_file.hpp"
#include "mission/vehicle.hpp"

namespace ascent {

/// Reads the vehicle deck at `path`. Throws DeckError when the file cannot be
/// read (also when it is not a regular file: a FIFO is never waited on), is
/// not TOML, holds a key that is not a field or lacks one, holds a value of
/// the wrong type or out of its field's range, or values that conflict.
[[nodiscard]] Vehicle read_vehicle_deck(const std::filesystem::path& path);

/// The same for the text of a deck; `file` names it in messages.
[[nodiscard]] Vehicle read_vehicle_deck_text(std::string_view text, const std::string& file);

/// The deck of `vehicle`, with a unit comment on every key. It reads back
/// to the same vehicle bit for bit.
[[nodiscard]] std::string vehicle_deck_text(const Vehicle& vehicle);

}  // namespace ascent
