// The values of ascent-trim's numeric options. Each is read with the
// program's own number grammar, so that nan, inf or 1e400 are no numbers,
// and must lie within its option's range: anything else is a bad command line.
#pragma once

#include <string>
#include <string_view>

namespace ascent::trim {

/// Why `text` is not a number from `minimum` to `maximum` ("" when it is).
std::string number_fault(std::string_view text, double minimum, double maximum);

/// Why `text` is not a whole number from `minimum` to `maximum` ("" when it is).
std::string count_fault(std::string_view text, long long minimum, long long maximum);

/// The value of a text that number_fault accepted.
double number_value(std::string_view text);

/// The value of a text that count_fault accepted.
long long count_value(std::string_view text);

}  // namespace ascent::trim
