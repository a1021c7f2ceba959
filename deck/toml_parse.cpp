#include "deck/toml_parse.hpp"

#include <string>
#include <vector>

namespace ascent {

namespace {

/// Walks the text as TOML's lexer would, skipping strings and comments, and
/// counts along the current path: the parts of the last table header, the
/// parts of the key being read, and each open inline table or array.
class DepthScan {
 public:
  explicit DepthScan(std::string_view text) : text_(text) {}

  void run() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '"' || c == '\'') {
        skip_string(c);
        continue;
      }
      if (c == '#') {
        while (at_ < text_.size() && text_[at_] != '\n') advance();
        continue;
      }
      step(c);
      advance();
    }
  }

 private:
  /// The nesting a key's parts start from: the header's outside every
  /// bracket, the open brackets' inside one.
  [[nodiscard]] unsigned base() const { return open_.empty() ? header_ : open_.back().depth; }
  [[nodiscard]] bool in_array() const { return !open_.empty() && open_.back().bracket == '['; }

  void step(char c) {
    if (c == '\n') {
      if (open_.empty()) {
        in_key_ = true;
        depth_ = header_;
      }
    } else if (c == '[' && open_.empty() && in_key_ && depth_ == header_ && line_blank_) {
      in_header_ = true;
      depth_ = 1;
      in_key_ = true;
    } else if (c == ']' && in_header_) {
      in_header_ = false;
      header_ = depth_;
      in_key_ = false;
    } else if (c == '[' || c == '{') {
      if (!in_key_ || c == '{') push(c);
    } else if ((c == ']' || c == '}') && !open_.empty()) {
      open_.pop_back();
      depth_ = base();
      in_key_ = false;
    } else if (c == ',') {
      depth_ = base();
      in_key_ = !in_array();
    } else if (c == '=' && !in_header_) {
      in_key_ = false;
    } else if (c == '.' && in_key_) {
      deeper();
    }
    if (c == '\n') {
      line_blank_ = true;
    } else if (c != ' ' && c != '\t' && c != '\r') {
      line_blank_ = false;
    }
  }

  void push(char bracket) {
    deeper();
    open_.push_back({bracket, depth_});
    in_key_ = bracket == '{';
  }

  void deeper() {
    if (++depth_ > MAX_TOML_DEPTH) {
      const std::string what = "nested more than " + std::to_string(MAX_TOML_DEPTH) +
                               " levels deep (tables, dotted keys, inline tables and arrays)";
      throw toml::parse_error(what.c_str(), toml::source_position{line_, column_});
    }
  }

  /// Skips a basic or literal string, one line or multi-line.
  void skip_string(char quote) {
    line_blank_ = false;
    const bool multi = text_.substr(at_, 3) == std::string(3, quote);
    const std::size_t width = multi ? 3 : 1;
    for (std::size_t i = 0; i < width; ++i) advance();
    while (at_ < text_.size()) {
      if (quote == '"' && text_[at_] == '\\') {
        advance();
        if (at_ < text_.size()) advance();
        continue;
      }
      if (!multi && text_[at_] == '\n') return;  // unterminated: the parser says so
      if (text_.substr(at_, width) == std::string(width, quote)) {
        for (std::size_t i = 0; i < width; ++i) advance();
        return;
      }
      advance();
    }
  }

  /// One byte on; lines and columns count as toml++ counts them, in
  /// characters (a UTF-8 continuation byte is no new column).
  void advance() {
    const char c = text_[at_++];
    if (c == '\n') {
      ++line_;
      column_ = 1;
    } else if ((static_cast<unsigned char>(c) & 0xC0U) != 0x80U) {
      ++column_;
    }
  }

  struct Open {
    char bracket;
    unsigned depth;  ///< the nesting inside it
  };

  std::string_view text_;
  std::size_t at_ = 0;
  toml::source_index line_ = 1;
  toml::source_index column_ = 1;
  unsigned header_ = 0;  ///< parts of the last table header
  unsigned depth_ = 0;
  bool in_key_ = true;
  bool in_header_ = false;
  bool line_blank_ = true;
  std::vector<Open> open_;
};

}  // namespace

toml::table parse_toml(std::string_view text, std::string_view source) {
  DepthScan(text).run();
  return toml::parse(text, source);
}

}  // namespace ascent
