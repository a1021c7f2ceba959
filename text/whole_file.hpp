// A file written whole or not at all: the text goes to a file beside it,
// renamed over it once it is on disk (see TextChannel::replace).
#pragma once

#include <filesystem>
#include <string_view>

namespace ascent {

/// Puts `text` in the place of `path`, as it is (no line end is changed).
/// Throws FileError when it cannot; `path` then keeps what it held.
void write_whole_file(const std::filesystem::path& path, std::string_view text);

}  // namespace ascent
