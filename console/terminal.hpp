// What the console is: whether its text shows on a terminal that reads UTF-8.
#pragma once

#include <cstdio>

namespace ascent {

/// True when `stream` is a terminal: a person reads what is written to it.
[[nodiscard]] bool is_terminal(std::FILE* stream);

/// True when `stream` is a terminal and the user's locale (LC_ALL, LC_CTYPE,
/// LANG) has the UTF-8 character set. The process's own locale is left as it is.
[[nodiscard]] bool is_utf8_terminal(std::FILE* stream);

}  // namespace ascent
