// The number grammar shared by the answers to the prompts and the booster
// thrust file: an optional sign, digits with an optional decimal point and
// fraction (at least one digit in all), and an optional exponent (E or e, an
// optional sign and at least one digit). A number is read as one token: runs
// of blanks and control characters before it are skipped, and it ends at the
// next blank or control character.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace ascent {

/// Longest token that is still taken as a number; longer ones are invalid.
inline constexpr std::size_t MAX_NUMBER_LENGTH = 4096;

/// True for the characters that separate numbers: blank and control characters.
constexpr bool is_separator(int c) { return c <= ' ' || c == 127; }

/// The value of `token` when it follows the grammar and fits a double.
std::optional<double> parse_decimal_real(std::string_view token);

/// Result of reading one token from a stream.
struct NumberToken {
  std::string text;          ///< the token, cut at MAX_NUMBER_LENGTH + 1 characters
  bool end_of_input = false; ///< the stream ended before any token character
};

/// Reads one byte: EOF at the end of the stream. Throws RuntimeError (read
/// error) when the stream fails, Interrupted when a signal asks the program
/// to end (also while it waits for the byte).
int read_byte(std::FILE* in, std::string_view stream_name);

/// Skips separators, then reads the token up to the next separator, which is
/// left unread. Throws RuntimeError (read error) when the stream fails.
NumberToken read_number_token(std::FILE* in, std::string_view stream_name);

/// True for the characters that end a line: LF, and CR (a line of a Windows
/// file ends with CR LF, of an old Macintosh file with CR alone).
constexpr bool is_line_end(int c) { return c == '\n' || c == '\r'; }

/// Reads and drops the rest of the current line up to its CR or LF. The LF of
/// a CR LF pair is left: it is a separator, which the next token skips.
void skip_rest_of_line(std::FILE* in, std::string_view stream_name);

/// A token shown in a message: cut to a readable length, control bytes escaped.
std::string quoted_token(std::string_view token);

}  // namespace ascent
