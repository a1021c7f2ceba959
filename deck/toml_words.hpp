// What a TOML value is, in the words of a message: "a string", "an array".
#pragma once

#include <string_view>

#include "deck/toml.hpp"

namespace ascent {

[[nodiscard]] std::string_view toml_type_words(toml::node_type type);

}  // namespace ascent
