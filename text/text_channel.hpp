// A text channel: an output stream whose every operation is checked at once.
// Lines end with CR LF. A failure raises FileError with the DOS error
// number that fits it (101 for a failed write, flush or close).
//
// A channel hands the system whole lines: it keeps the text in a buffer of
// its own and writes it out up to the last line end, or everything when it
// is flushed (a prompt). When a write to a regular file fails part way (a
// full disk, a file-size limit), the part of a line it wrote is cut off
// again: a file a channel wrote always ends on a whole line. A signal that
// breaks a wait for a write ends the write with Interrupted, as does a
// reader that went away (EPIPE, as SIGPIPE).
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
  /// old content. A `path` that may not be written is refused as by create;
  /// one that is no regular file (/dev/null, a FIFO) is written as by create.
  static TextChannel replace(const std::filesystem::path& path);
  /// Writes to a stream the channel does not own (the standard output):
  /// straight to its file descriptor when it has one, else through the stream.
  static TextChannel borrow(std::FILE* stream, std::string name);

  TextChannel(TextChannel&& other) noexcept;
  TextChannel& operator=(TextChannel&& other) noexcept;
  TextChannel(const TextChannel&) = delete;
  TextChannel& operator=(const TextChannel&) = delete;
  ~TextChannel();

  [[nodiscard]] bool is_open() const { return open_; }
  [[nodiscard]] const std::string& name() const { return name_; }

  void write(std::string_view text);
  /// Writes the line and its CR LF line end.
  void write_line(std::string_view text);
  void write_line(const Line& line) { write_line(line.view()); }
  /// Writes out everything written so far, a line without its end too.
  void flush();
  /// Ends a line that was left open (a prompt that got no answer).
  void end_open_line();
  /// Flushes and closes (or, for a borrowed stream, flushes and lets go; for
  /// a replacing channel, also puts the new file in the old one's place).
  void close();
  /// Writes out what it can and closes without raising: the failure path,
  /// where the first error counts. A replacing channel leaves the old file as
  /// it was.
  void abandon() noexcept;

 private:
  TextChannel(int descriptor, std::FILE* stream, std::string name, bool owned);
  [[noreturn]] void fail(const char* action, int error_number) const;
  /// Writes the first `count` bytes of the buffer and drops them from it.
  void send(std::size_t count);
  void send_through_stream(std::size_t count);
  /// After a write that failed with `written` bytes of the buffer written:
  /// cuts a regular file back to the end of its last whole line.
  void cut_back(std::size_t written) noexcept;

  int descriptor_ = -1;          ///< written to, when the channel has a descriptor
  std::FILE* stream_ = nullptr;  ///< a borrowed stream without one (in memory)
  std::string name_;
  bool owned_ = false;
  bool open_ = false;
  bool failed_ = false;        ///< a write failed: nothing more is tried
  bool line_by_line_ = false;  ///< a terminal: each line is written as it ends
  std::string buffer_;
  std::size_t whole_ = 0;          ///< bytes of the buffer up to its last line end
  std::size_t open_line_ = 0;      ///< bytes written after the last line end written
  std::filesystem::path pending_;  ///< the new file of a replacing channel, else empty
  std::filesystem::path target_;   ///< the file it replaces at the close
};

}  // namespace ascent
