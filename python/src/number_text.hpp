// Numbers as the bindings show them and hand them to the trim tool's library.
#pragma once

#include <charconv>
#include <string>

#include "studies/flight_runner.hpp"

namespace ascent::python {

/// The shortest text that reads back as exactly `value`.
inline std::string shortest(double value) {
  char text[32];
  return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

/// A turn time given by a script: its shortest text for messages, its value exactly.
inline studies::TypedNumber turn_time_of(double value) {
  return {shortest(value), value};
}

}  // namespace ascent::python
