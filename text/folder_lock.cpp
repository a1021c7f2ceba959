#include "text/folder_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "base/runtime_error.hpp"

namespace ascent {

FolderLock FolderLock::acquire(const std::filesystem::path& folder) {
  FolderLock lock;
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return lock;
  if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
    lock.descriptor_ = descriptor;
    return lock;
  }
  const int error_number = errno;
  ::close(descriptor);
  if (error_number != EWOULDBLOCK) return lock;
  std::error_code ignored;
  std::filesystem::path shown = std::filesystem::absolute(folder, ignored).lexically_normal();
  if (!shown.has_filename()) shown = shown.parent_path();  // "/work/." reads "/work/"
  throw FileError(ErrorCode::access_denied, FileUse::output,
                     "the folder \"" + shown.string() +
                         "\" is in use by another session, which writes its plot files and "
                         "constants file there: run this one in another folder, or after it");
}

FolderLock::FolderLock(FolderLock&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    release();
    descriptor_ = std::exchange(other.descriptor_, -1);
  }
  return *this;
}

void FolderLock::release() noexcept {
  if (descriptor_ >= 0) ::close(std::exchange(descriptor_, -1));
}

}  // namespace ascent
