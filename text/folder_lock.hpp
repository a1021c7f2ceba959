// One session at a time in a working folder. The plot files and the
// constants file have fixed names there: two sessions writing them at once
// would leave each file with lines of both. A session holds an exclusive
// lock on the folder itself (flock on a descriptor of the folder) from its
// start to its end. No file is made for it, and the kernel lets the lock go
// when the process ends, however it ends: a crash never leaves a folder locked.
#pragma once

#include <filesystem>

namespace ascent {

class FolderLock {
 public:
  FolderLock() = default;
  /// Locks `folder` for the caller. Throws FileError 5 (access denied)
  /// when another session holds it. A folder that cannot be opened, or a
  /// file system that cannot lock (some network file systems), gives an
  /// unheld lock: the writers then meet or ignore the folder as before.
  static FolderLock acquire(const std::filesystem::path& folder);

  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock() { release(); }

  [[nodiscard]] bool held() const { return descriptor_ >= 0; }
  void release() noexcept;

 private:
  int descriptor_ = -1;
};

}  // namespace ascent
