#include "text/text_channel.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "base/runtime_error.hpp"
#include "text/replacement.hpp"

namespace ascent {

namespace {
constexpr std::string_view LINE_END = "\r\n";

[[noreturn]] void fail_to_create(const std::filesystem::path& path, int error_number) {
  // Creating a file fails with "no such file" only when a folder is missing.
  const ErrorCode code = error_number == ENOENT
                             ? ErrorCode::path_not_found
                             : error_code_from_errno(error_number, ErrorCode::write_error);
  throw RuntimeError(code,
                     "cannot create \"" + path.string() + "\": " + std::strerror(error_number));
}
}  // namespace

TextChannel::TextChannel(std::FILE* stream, std::string name, bool owned)
    : stream_(stream), name_(std::move(name)), owned_(owned) {}

TextChannel TextChannel::create(const std::filesystem::path& path) {
  std::FILE* stream = std::fopen(path.c_str(), "wb");
  if (stream == nullptr) fail_to_create(path, errno);
  return TextChannel(stream, path.string(), true);
}

TextChannel TextChannel::replace(const std::filesystem::path& path) {
  Replacement replacement = replacement_of(path);
  const std::filesystem::path& target = replacement.target;
  std::error_code error;
  if (std::filesystem::is_directory(target, error)) fail_to_create(path, EISDIR);
  if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) {
    fail_to_create(path, errno);
  }
  std::FILE* stream = std::fopen(replacement.pending.c_str(), "wb");
  if (stream == nullptr) fail_to_create(path, errno);
  TextChannel channel(stream, path.string(), true);
  channel.pending_ = std::move(replacement.pending);
  channel.target_ = std::move(replacement.target);
  return channel;
}

TextChannel TextChannel::borrow(std::FILE* stream, std::string name) {
  return TextChannel(stream, std::move(name), false);
}

TextChannel::TextChannel(TextChannel&& other) noexcept
    : stream_(std::exchange(other.stream_, nullptr)),
      name_(std::move(other.name_)),
      owned_(other.owned_),
      pending_(std::exchange(other.pending_, {})),
      target_(std::exchange(other.target_, {})) {}

TextChannel& TextChannel::operator=(TextChannel&& other) noexcept {
  if (this != &other) {
    abandon();
    stream_ = std::exchange(other.stream_, nullptr);
    name_ = std::move(other.name_);
    owned_ = other.owned_;
    pending_ = std::exchange(other.pending_, {});
    target_ = std::exchange(other.target_, {});
  }
  return *this;
}

TextChannel::~TextChannel() { abandon(); }

void TextChannel::fail(const char* action) const {
  const int error_number = errno;
  throw RuntimeError(ErrorCode::write_error, std::string("cannot ") + action + " \"" + name_ +
                                                 "\": " + std::strerror(error_number));
}

void TextChannel::write(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size()) fail("write to");
}

void TextChannel::write_line(std::string_view text) {
  write(text);
  write(LINE_END);
}

void TextChannel::flush() {
  if (std::fflush(stream_) != 0) fail("write to");
}

void TextChannel::close() {
  if (stream_ == nullptr) return;
  if (!pending_.empty()) {
    // On disk first, then in the old file's place: a crash or a full disk
    // leaves either the old file or the new one, whole.
    if (std::fflush(stream_) != 0 || ::fsync(::fileno(stream_)) != 0) {
      const int error_number = errno;
      abandon();
      errno = error_number;
      fail("write to");
    }
  }
  std::FILE* stream = std::exchange(stream_, nullptr);
  const int result = owned_ ? std::fclose(stream) : std::fflush(stream);
  if (result != 0) {
    const int error_number = errno;
    if (!pending_.empty()) ::unlink(std::exchange(pending_, {}).c_str());
    errno = error_number;
    fail("close");
  }
  if (!pending_.empty() && std::rename(pending_.c_str(), target_.c_str()) != 0) {
    const int error_number = errno;
    ::unlink(std::exchange(pending_, {}).c_str());
    errno = error_number;
    fail("replace");
  }
  pending_.clear();
}

void TextChannel::abandon() noexcept {
  if (stream_ == nullptr) return;
  std::FILE* stream = std::exchange(stream_, nullptr);
  if (owned_) {
    std::fclose(stream);
  } else {
    std::fflush(stream);
  }
  if (!pending_.empty()) ::unlink(std::exchange(pending_, {}).c_str());
}

}  // namespace ascent
