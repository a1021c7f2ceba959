// Numbers inside messages: the fixed-point text printf gives, for the rare
// line that reports a failure (the text layer's writers format the output).
#pragma once

#include <cstdio>
#include <string>

#include "base/real.hpp"

namespace ascent {

/// `x` with `decimals` decimals, as "%.*Lf" writes it.
inline std::string fixed_text(Extended x, int decimals) {
  char text[64];
  const int n = std::snprintf(text, sizeof text, "%.*Lf", decimals, x);
  if (n >= 0 && static_cast<std::size_t>(n) < sizeof text) return text;
  std::string wide(static_cast<std::size_t>(n > 0 ? n : 0) + 1, '\0');
  std::snprintf(wide.data(), wide.size(), "%.*Lf", decimals, x);
  wide.pop_back();
  return wide;
}

}  // namespace ascent
