#include "text/text_channel.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <system_error>
#include <utility>

#include "base/interruption.hpp"
#include "base/runtime_error.hpp"
#include "text/replacement.hpp"

namespace ascent {

namespace {
constexpr std::string_view LINE_END = "\r\n";
/// [bytes] text kept before whole lines are written out.
constexpr std::size_t BUFFER_SIZE = 65536;

[[noreturn]] void fail_to_create(const std::filesystem::path& path, int error_number) {
  // Creating a file fails with "no such file" only when a folder is missing.
  const ErrorCode code = error_number == ENOENT
                             ? ErrorCode::path_not_found
                             : error_code_from_errno(error_number, ErrorCode::write_error);
  throw FileError(code, FileUse::output,
                     "cannot create \"" + path.string() + "\": " + std::strerror(error_number));
}

int create_file(const std::filesystem::path& path, const std::filesystem::path& reported) {
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (descriptor < 0) fail_to_create(reported, errno);
  return descriptor;
}

/// Bytes after the last line end of `text`, or npos when it holds none.
std::size_t after_last_line_end(std::string_view text) {
  const std::size_t end = text.rfind('\n');
  return end == std::string_view::npos ? std::string_view::npos : text.size() - end - 1;
}

}  // namespace

TextChannel::TextChannel(int descriptor, std::FILE* stream, std::string name, bool owned)
    : descriptor_(descriptor), stream_(stream), name_(std::move(name)), owned_(owned), open_(true) {
  line_by_line_ = descriptor_ >= 0 && ::isatty(descriptor_) != 0;
  buffer_.reserve(BUFFER_SIZE);
}

TextChannel TextChannel::create(const std::filesystem::path& path) {
  return TextChannel(create_file(path, path), nullptr, path.string(), true);
}

TextChannel TextChannel::replace(const std::filesystem::path& path) {
  Replacement replacement = replacement_of(path);
  const std::filesystem::path& target = replacement.target;
  std::error_code error;
  if (std::filesystem::is_directory(target, error)) fail_to_create(path, EISDIR);
  // A device or a FIFO (/dev/null, a pipe) is written to, never replaced:
  // a file renamed over it would take its place.
  const std::filesystem::file_status status = std::filesystem::status(target, error);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    return create(path);
  }
  if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) {
    fail_to_create(path, errno);
  }
  TextChannel channel(create_file(replacement.pending, path), nullptr, path.string(), true);
  channel.pending_ = std::move(replacement.pending);
  channel.target_ = std::move(replacement.target);
  return channel;
}

TextChannel TextChannel::borrow(std::FILE* stream, std::string name) {
  // Whatever the stream holds goes first; then the channel writes past it.
  std::fflush(stream);
  const int descriptor = ::fileno(stream);
  return TextChannel(descriptor, descriptor >= 0 ? nullptr : stream, std::move(name), false);
}

TextChannel::TextChannel(TextChannel&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      stream_(std::exchange(other.stream_, nullptr)),
      name_(std::move(other.name_)),
      owned_(other.owned_),
      open_(std::exchange(other.open_, false)),
      failed_(other.failed_),
      line_by_line_(other.line_by_line_),
      buffer_(std::move(other.buffer_)),
      whole_(std::exchange(other.whole_, 0)),
      open_line_(std::exchange(other.open_line_, 0)),
      pending_(std::exchange(other.pending_, {})),
      target_(std::exchange(other.target_, {})) {}

TextChannel& TextChannel::operator=(TextChannel&& other) noexcept {
  if (this != &other) {
    abandon();
    descriptor_ = std::exchange(other.descriptor_, -1);
    stream_ = std::exchange(other.stream_, nullptr);
    name_ = std::move(other.name_);
    owned_ = other.owned_;
    open_ = std::exchange(other.open_, false);
    failed_ = other.failed_;
    line_by_line_ = other.line_by_line_;
    buffer_ = std::move(other.buffer_);
    whole_ = std::exchange(other.whole_, 0);
    open_line_ = std::exchange(other.open_line_, 0);
    pending_ = std::exchange(other.pending_, {});
    target_ = std::exchange(other.target_, {});
  }
  return *this;
}

TextChannel::~TextChannel() {
  abandon();
}

void TextChannel::fail(const char* action, int error_number) const {
  throw FileError(ErrorCode::write_error, FileUse::output, std::string("cannot ") + action + " \"" + name_ +
                                                 "\": " + std::strerror(error_number));
}

void TextChannel::write(std::string_view text) {
  if (failed_) return;  // the failure is being reported; nothing more reaches the file
  if (buffer_.size() + text.size() > BUFFER_SIZE && whole_ > 0) send(whole_);
  buffer_.append(text);
  if (const std::size_t after = after_last_line_end(text); after != std::string_view::npos) {
    whole_ = buffer_.size() - after;
    if (line_by_line_) send(whole_);
  }
}

void TextChannel::write_line(std::string_view text) {
  // A row ends in the line end: everything buffered is whole after it,
  // without searching the row for an earlier one.
  if (failed_) return;
  const std::size_t size = text.size() + LINE_END.size();
  if (buffer_.size() + size > BUFFER_SIZE && whole_ > 0) send(whole_);
  buffer_.append(text).append(LINE_END);
  whole_ = buffer_.size();
  if (line_by_line_) send(whole_);
}

void TextChannel::flush() {
  send(buffer_.size());
}

void TextChannel::end_open_line() {
  if (open_line_ > 0 || buffer_.size() > whole_) write(LINE_END);
}

void TextChannel::send(std::size_t count) {
  if (!open_ || failed_ || count == 0) return;
  if (stream_ != nullptr) {
    send_through_stream(count);
  } else {
    std::size_t written = 0;
    while (written < count) {
      const ssize_t n = ::write(descriptor_, buffer_.data() + written, count - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      // A signal that breaks off a blocked write once the reader has taken
      // part of it leaves a short count, not EINTR: the program was asked to
      // end, so it does not wait for the reader to take the rest.
      const bool cut_short = n > 0 && written < count && pending_interruption() != 0;
      if (n > 0 && !cut_short) continue;
      const int error_number = cut_short ? EINTR : n == 0 ? EIO : errno;
      if (error_number == EINTR && pending_interruption() == 0) continue;
      if (error_number == EAGAIN || error_number == EWOULDBLOCK) {
        // A descriptor another program left non-blocking: wait until it takes more.
        pollfd ready{descriptor_, POLLOUT, 0};
        ::poll(&ready, 1, -1);
        continue;
      }
      cut_back(written);
      failed_ = true;
      buffer_.clear();
      whole_ = 0;
      if (error_number == EINTR) throw Interrupted(pending_interruption());
      if (error_number == EPIPE) throw Interrupted(SIGPIPE);
      fail("write to", error_number);
    }
  }
  const std::size_t after = after_last_line_end(std::string_view(buffer_.data(), count));
  open_line_ = after == std::string_view::npos ? open_line_ + count : after;
  buffer_.erase(0, count);
  whole_ = whole_ > count ? whole_ - count : 0;
}

void TextChannel::send_through_stream(std::size_t count) {
  if (std::fwrite(buffer_.data(), 1, count, stream_) == count && std::fflush(stream_) == 0) return;
  const int error_number = errno;
  failed_ = true;
  buffer_.clear();
  whole_ = 0;
  fail("write to", error_number);
}

void TextChannel::cut_back(std::size_t written) noexcept {
  struct stat info {};
  if (::fstat(descriptor_, &info) != 0 || !S_ISREG(info.st_mode)) return;
  const std::size_t after = after_last_line_end(std::string_view(buffer_.data(), written));
  const std::size_t part = after == std::string_view::npos ? open_line_ + written : after;
  const off_t end = ::lseek(descriptor_, 0, SEEK_CUR);
  if (part > 0 && end >= static_cast<off_t>(part)) {
    if (::ftruncate(descriptor_, end - static_cast<off_t>(part)) == 0) open_line_ = 0;
  }
}

void TextChannel::close() {
  if (!open_) return;
  try {
    send(buffer_.size());
    // On disk first, then in the old file's place: a crash or a full disk
    // leaves either the old file or the new one, whole.
    if (!pending_.empty() && ::fsync(descriptor_) != 0) fail("write to", errno);
  } catch (...) {
    abandon();
    throw;
  }
  open_ = false;
  stream_ = nullptr;  // borrowed, and flushed by the send
  const int descriptor = std::exchange(descriptor_, -1);
  if (owned_ && ::close(descriptor) != 0) {
    const int error_number = errno;
    if (!pending_.empty()) ::unlink(std::exchange(pending_, {}).c_str());
    fail("close", error_number);
  }
  if (!pending_.empty() && std::rename(pending_.c_str(), target_.c_str()) != 0) {
    const int error_number = errno;
    ::unlink(std::exchange(pending_, {}).c_str());
    fail("replace", error_number);
  }
  pending_.clear();
}

void TextChannel::abandon() noexcept {
  if (!open_) return;
  if (pending_.empty()) {
    try {
      send(buffer_.size());
    } catch (...) {  // the failure being handled counts, not this one
    }
  }
  open_ = false;
  buffer_.clear();
  whole_ = 0;
  if (descriptor_ >= 0 && owned_) ::close(descriptor_);
  stream_ = nullptr;
  descriptor_ = -1;
  if (!pending_.empty()) ::unlink(std::exchange(pending_, {}).c_str());
}

}  // namespace ascent
