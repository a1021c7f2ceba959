// What a page that declares UTF-8 must hold: well-formed characters only.
#pragma once

#include <string_view>

namespace ascent::testing {

/// Every byte of `text` belongs to a well-formed UTF-8 character: a lead
/// byte of its length and its continuation bytes (RFC 3629's table; the
/// check leaves overlong forms and surrogates to the lead bytes it refuses).
inline bool well_formed_utf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80                    ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace ascent::testing
