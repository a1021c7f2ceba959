#include "trim/options.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "base/number.hpp"

namespace ascent::trim {

namespace {

/// Digits beyond which a whole number is out of every option's range, and
/// the value it stands for then.
constexpr std::size_t MAX_COUNT_DIGITS = 18;
constexpr long long HUGE_COUNT = 1'000'000'000'000'000'000;

std::string shown(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string range_fault(std::string_view text, double minimum, double maximum) {
  if (std::isinf(maximum)) return std::string(text) + " is less than " + shown(minimum);
  return std::string(text) + " is not from " + shown(minimum) + " to " + shown(maximum);
}

std::optional<long long> whole_number(std::string_view text) {
  std::string_view digits = text;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  // Leading zeros count for nothing; too many digits are out of any range.
  digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size() - 1));
  if (digits.size() > MAX_COUNT_DIGITS) return text.front() == '-' ? -HUGE_COUNT : HUGE_COUNT;
  const long long magnitude = std::stoll(std::string(digits));
  return text.front() == '-' ? -magnitude : magnitude;
}

}  // namespace

std::string number_fault(std::string_view text, double minimum, double maximum) {
  const std::optional<double> value = parse_decimal_real(text);
  if (!value) return quoted_token(text) + " is not a number";
  if (!(*value >= minimum && *value <= maximum)) return range_fault(text, minimum, maximum);
  return "";
}

std::string count_fault(std::string_view text, long long minimum, long long maximum) {
  const std::optional<long long> value = whole_number(text);
  if (!value) return quoted_token(text) + " is not a whole number";
  if (*value < minimum || *value > maximum) {
    return range_fault(text, static_cast<double>(minimum), static_cast<double>(maximum));
  }
  return "";
}

double number_value(std::string_view text) {
  const std::optional<double> value = parse_decimal_real(text);
  if (!value) throw std::invalid_argument("not a number: " + std::string(text));
  return *value;
}

long long count_value(std::string_view text) {
  const std::optional<long long> value = whole_number(text);
  if (!value) throw std::invalid_argument("not a whole number: " + std::string(text));
  return *value;
}

}  // namespace ascent::trim
