// The checks of ascent-trim's option values as CLI11 validators, and options
// whose text is read with the program's number grammar (trim/options.hpp):
// every command adds its options with these, so that no value reaches the
// program through CLI11's own conversions (which take -1 as 2^64 - 1, "" as
// 0, 0x10 as 16).
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <type_traits>

#include "trim/options.hpp"

namespace ascent::trim {

/// Most threads a command may be given.
inline constexpr long long MOST_JOBS = 1024;

/// A number in the program's grammar from `minimum` to `maximum`.
inline CLI::Validator number_in(double minimum, double maximum) {
  return CLI::Validator([=](std::string& text) { return number_fault(text, minimum, maximum); },
                        "");
}

/// A whole number in decimal digits from `minimum` to `maximum`.
inline CLI::Validator count_in(long long minimum, long long maximum) {
  return CLI::Validator([=](std::string& text) { return count_fault(text, minimum, maximum); }, "");
}

/// A file name: an empty one names no file (and would quietly mean "none").
inline CLI::Validator file_name() {
  return CLI::Validator(
      [](std::string& text) {
        return text.empty() ? std::string("an empty name names no file") : "";
      },
      "");
}

/// An option whose text, once checked, sets `value`.
template <typename Value>
CLI::Option* add_number(CLI::App& app, const std::string& name, Value& value,
                        const std::string& description) {
  return app.add_option_function<std::string>(
      name,
      [&value](const std::string& text) {
        if constexpr (std::is_floating_point_v<Value>) {
          value = number_value(text);
        } else {
          value = static_cast<Value>(count_value(text));
        }
      },
      description);
}

}  // namespace ascent::trim
