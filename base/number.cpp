#include "base/number.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "base/interruption.hpp"
#include "base/runtime_error.hpp"

namespace ascent {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

/// Counts the digits starting at `at`.
std::size_t digit_run(std::string_view s, std::size_t at) {
  std::size_t n = 0;
  while (at + n < s.size() && is_digit(s[at + n])) ++n;
  return n;
}

bool follows_grammar(std::string_view s) {
  std::size_t at = 0;
  if (at < s.size() && (s[at] == '+' || s[at] == '-')) ++at;
  std::size_t digits = digit_run(s, at);
  at += digits;
  if (at < s.size() && s[at] == '.') {
    ++at;
    const std::size_t fraction = digit_run(s, at);
    digits += fraction;
    at += fraction;
  }
  if (digits == 0) return false;
  if (at < s.size() && (s[at] == 'e' || s[at] == 'E')) {
    ++at;
    if (at < s.size() && (s[at] == '+' || s[at] == '-')) ++at;
    const std::size_t exponent = digit_run(s, at);
    if (exponent == 0) return false;
    at += exponent;
  }
  return at == s.size();
}

}  // namespace

int read_byte(std::FILE* in, std::string_view stream_name) {
  for (;;) {
    check_interruption();
    errno = 0;
    const int c = std::getc(in);
    if (c != EOF || !std::ferror(in)) return c;
    if (errno != EINTR) {
      throw FileError(ErrorCode::read_error, FileUse::input, "cannot read " + std::string(stream_name));
    }
    std::clearerr(in);  // a signal broke the wait: ends the program, or the wait goes on
  }
}

std::optional<double> parse_decimal_real(std::string_view token) {
  if (token.size() > MAX_NUMBER_LENGTH || !follows_grammar(token)) return std::nullopt;
  const std::string text(token);
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

NumberToken read_number_token(std::FILE* in, std::string_view stream_name) {
  NumberToken token;
  int c = read_byte(in, stream_name);
  while (c != EOF && is_separator(c)) c = read_byte(in, stream_name);
  if (c == EOF) {
    token.end_of_input = true;
    return token;
  }
  while (c != EOF && !is_separator(c)) {
    if (token.text.size() <= MAX_NUMBER_LENGTH) token.text.push_back(static_cast<char>(c));
    c = read_byte(in, stream_name);
  }
  if (c != EOF) std::ungetc(c, in);
  return token;
}

void skip_rest_of_line(std::FILE* in, std::string_view stream_name) {
  int c = read_byte(in, stream_name);
  while (c != EOF && !is_line_end(c)) c = read_byte(in, stream_name);
}

std::string quoted_token(std::string_view token) {
  constexpr std::size_t shown = 40;
  std::string out = "\"";
  for (const char c : token.substr(0, shown)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte >= 127 || c == '"' || c == '\\') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  if (token.size() > shown) out += "...";
  return out + "\"";
}

}  // namespace ascent
