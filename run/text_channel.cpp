#include "run/text_channel.hpp"

#include <cerrno>
#include <cstring>
#include <utility>

#include "run/runtime_error.hpp"

namespace ascent {

namespace {
constexpr std::string_view LINE_END = "\r\n";
}

TextChannel::TextChannel(std::FILE* stream, std::string name, bool owned)
    : stream_(stream), name_(std::move(name)), owned_(owned) {}

TextChannel TextChannel::create(const std::filesystem::path& path) {
  std::FILE* stream = std::fopen(path.c_str(), "wb");
  if (stream == nullptr) {
    const int error_number = errno;
    // Creating a file fails with "no such file" only when a folder is missing.
    const ErrorCode code = error_number == ENOENT
                               ? ErrorCode::path_not_found
                               : error_code_from_errno(error_number, ErrorCode::write_error);
    throw RuntimeError(code, "cannot create \"" + path.string() + "\": " + std::strerror(error_number));
  }
  return TextChannel(stream, path.string(), true);
}

TextChannel TextChannel::borrow(std::FILE* stream, std::string name) {
  return TextChannel(stream, std::move(name), false);
}

TextChannel::TextChannel(TextChannel&& other) noexcept
    : stream_(std::exchange(other.stream_, nullptr)),
      name_(std::move(other.name_)),
      owned_(other.owned_) {}

TextChannel& TextChannel::operator=(TextChannel&& other) noexcept {
  if (this != &other) {
    abandon();
    stream_ = std::exchange(other.stream_, nullptr);
    name_ = std::move(other.name_);
    owned_ = other.owned_;
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
  std::FILE* stream = std::exchange(stream_, nullptr);
  const int result = owned_ ? std::fclose(stream) : std::fflush(stream);
  if (result != 0) fail("close");
}

void TextChannel::abandon() noexcept {
  if (stream_ == nullptr) return;
  std::FILE* stream = std::exchange(stream_, nullptr);
  if (owned_) {
    std::fclose(stream);
  } else {
    std::fflush(stream);
  }
}

}  // namespace ascent
