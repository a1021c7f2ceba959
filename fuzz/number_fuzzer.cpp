// Fuzz target: the number reader of the prompts. The input is read as the
// standard input is: a token, its value, the rest of its line dropped, and
// again to the end. Every accepted number must be finite, follow the grammar
// (checked against a regular expression written apart from the reader) and
// equal what strtod makes of it; a token that follows the grammar may be
// refused only for its length or for overflowing a double.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <regex>
#include <string>

#include "fuzz_support.hpp"
#include "base/number.hpp"
#include "base/runtime_error.hpp"

namespace {

using ascent::fuzz::check;

/// Tokens longer than this are not matched against the regular expression,
/// whose recursive matcher would need a deep stack.
constexpr std::size_t LONGEST_MATCHED_TOKEN = 256;

bool follows_grammar(const std::string& token) {
  static const std::regex grammar(R"([+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?)");
  return std::regex_match(token, grammar);
}

void check_token(const std::string& token) {
  const std::optional<double> value = ascent::parse_decimal_real(token);
  if (value) {
    check(std::isfinite(*value));
    check(token.size() <= ascent::MAX_NUMBER_LENGTH);
    check(std::strtod(token.c_str(), nullptr) == *value);
  }
  if (token.size() > LONGEST_MATCHED_TOKEN) return;
  const bool grammatical = follows_grammar(token);
  if (value) {
    check(grammatical);
  } else if (grammatical) {
    check(!std::isfinite(std::strtod(token.c_str(), nullptr)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  check_token(bytes);  // the whole input as one token, separators and all
  std::FILE* in = fmemopen(bytes.data(), bytes.size(), "r");
  if (in == nullptr) return 0;
  for (;;) {
    const ascent::NumberToken token = ascent::read_number_token(in, "the fuzz input");
    if (token.end_of_input) break;
    check(!token.text.empty() && token.text.size() <= ascent::MAX_NUMBER_LENGTH + 1);
    for (const char c : token.text) check(!ascent::is_separator(static_cast<unsigned char>(c)));
    check_token(token.text);
    ascent::skip_rest_of_line(in, "the fuzz input");
  }
  std::fclose(in);
  return 0;
}
