// Parsing TOML text with its nesting bounded. toml++ builds and frees nested
// tables by recursion, so a key of a few hundred thousand dotted parts (or
// headers, inline tables and arrays as deep) would overflow the stack. The
// text is scanned first and refused when it nests deeper than any deck or
// dispersion set can.
#pragma once

#include <string_view>

#include "deck/toml.hpp"

namespace ascent {

/// The deepest nesting accepted: table header parts, dotted key parts,
/// inline tables and arrays counted together along one path.
inline constexpr unsigned MAX_TOML_DEPTH = 64;

/// toml::parse(text, source), after refusing text nested deeper than
/// MAX_TOML_DEPTH with a toml::parse_error at the place it goes too deep.
[[nodiscard]] toml::table parse_toml(std::string_view text, std::string_view source);

}  // namespace ascent
