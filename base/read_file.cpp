#include "base/read_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "base/runtime_error.hpp"

namespace ascent {

namespace {

/// What a file that is not a regular file is, for the refusal.
const char* kind_of(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "not a plain file";
}

std::string named(std::string_view what, const std::filesystem::path& path) {
  return std::string(what) + " \"" + path.string() + "\"";
}

[[noreturn]] void refuse_kind(std::string_view what, const std::filesystem::path& path,
                              mode_t mode) {
  throw FileError(ErrorCode::access_denied, FileUse::input,
                  named(what, path) + " is " + kind_of(mode) + ", not a regular file");
}

[[noreturn]] void fail_to_open(std::string_view what, const std::filesystem::path& path,
                               int error_number) {
  throw FileError(error_code_from_errno(error_number, ErrorCode::read_error), FileUse::input,
                     "cannot open " + named(what, path) + ": " + std::strerror(error_number));
}

/// Fails with the error of the last call on `descriptor`, which is closed.
[[noreturn]] void fail_and_close(std::string_view what, const std::filesystem::path& path,
                                 int descriptor) {
  const int error_number = errno;
  ::close(descriptor);
  fail_to_open(what, path, error_number);
}

}  // namespace

FileOwner open_for_reading(const std::filesystem::path& path, std::string_view what) {
  // Without O_NONBLOCK the open itself waits for a FIFO's writer.
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) {
    const int error_number = errno;
    struct stat info {};
    // A socket cannot be opened at all (ENXIO): say what it is.
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
      refuse_kind(what, path, info.st_mode);
    }
    fail_to_open(what, path, error_number);
  }
  struct stat info {};
  if (::fstat(descriptor, &info) != 0) fail_and_close(what, path, descriptor);
  if (!S_ISREG(info.st_mode)) {
    ::close(descriptor);
    refuse_kind(what, path, info.st_mode);
  }
  // Reads wait for data as usual from here on.
  const int flags = ::fcntl(descriptor, F_GETFL);
  if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    fail_and_close(what, path, descriptor);
  }
  FileOwner file(::fdopen(descriptor, "rb"));
  if (!file) fail_and_close(what, path, descriptor);
  return file;
}

}  // namespace ascent
