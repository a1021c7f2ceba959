// The three special characters of the output: the squared sign of m/s², the
// degree sign and the plus-minus sign, in the character set of where the
// text goes.
#pragma once

#include <string_view>

namespace ascent {

struct Symbols {
  std::string_view squared;
  std::string_view degree;
  std::string_view plusminus;
};

/// ISO 8859-1: the named output file (stored files rely on it).
inline constexpr Symbols LATIN1_SYMBOLS{"\xB2", "\xB0", "\xB1"};
/// Code page 437: the console, as saved transcripts have it.
inline constexpr Symbols CP437_SYMBOLS{"\xFD", "\xF8", "\xF1"};
/// UTF-8: a terminal whose locale's character set is UTF-8.
inline constexpr Symbols UTF8_SYMBOLS{"\xC2\xB2", "\xC2\xB0", "\xC2\xB1"};

}  // namespace ascent
