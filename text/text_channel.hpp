// A text channel: an output stream whose every operation is checked at once.
// Lines end with CR LF. A failure raises RuntimeError with the DOS error
// number that fits it (101 for a failed write, flush or close).
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "text/line.hpp"

namespace ascent {

class TextChannel {
 public:
  TextChannel() = default;
  /// Creates or empties the file and opens it for writing.
  static TextChannel create(const std::filesystem::path& path);
  /// Writes a file that takes the place of `path` only when the channel is
  /// closed: the text goes to a new file beside it, renamed over `path` after
  /// it is safely on disk. Until then, and after any failure, `path` keeps its
  /// old content. A `path` that may not be written is refused as by create.
  static TextChannel replace(const std::filesystem::path& path);
  /// Writes to a stream the channel does not own (the standard output).
  static TextChannel borrow(std::FILE* stream, std::string name);

  TextChannel(TextChannel&& other) noexcept;
  TextChannel& operator=(TextChannel&& other) noexcept;
  TextChannel(const TextChannel&) = delete;
  TextChannel& operator=(const TextChannel&) = delete;
  ~TextChannel();

  [[nodiscard]] bool is_open() const { return stream_ != nullptr; }
  [[nodiscard]] const std::string& name() const { return name_; }

  void write(std::string_view text);
  /// Writes the line and its CR LF line end.
  void write_line(std::string_view text);
  void write_line(const Line& line) { write_line(line.view()); }
  void flush();
  /// Flushes and closes (or, for a borrowed stream, flushes and lets go; for
  /// a replacing channel, also puts the new file in the old one's place).
  void close();
  /// Closes without raising: the failure path, where the first error counts.
  /// A replacing channel leaves the old file as it was.
  void abandon() noexcept;

 private:
  TextChannel(std::FILE* stream, std::string name, bool owned);
  [[noreturn]] void fail(const char* action) const;

  std::FILE* stream_ = nullptr;
  std::string name_;
  bool owned_ = false;
  std::filesystem::path pending_;  ///< the new file of a replacing channel, else empty
  std::filesystem::path target_;   ///< the file it replaces at the close
};

}  // namespace ascent
