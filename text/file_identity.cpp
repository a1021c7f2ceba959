#include "text/file_identity.hpp"

#include <sys/stat.h>

#include <system_error>

namespace ascent {

namespace {

namespace fs = std::filesystem;

/// Links followed at most, as the kernel does (ELOOP beyond it).
constexpr int MAX_LINK_HOPS = 40;

bool identity_of(const fs::path& path, struct stat& info) {
  return ::stat(path.c_str(), &info) == 0;
}

bool same_identity(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

fs::path resolved_path(const fs::path& path) {
  std::error_code error;
  fs::path current = fs::absolute(path, error);
  if (error) return path.lexically_normal();
  for (int hop = 0; hop < MAX_LINK_HOPS; ++hop) {
    fs::path resolved = fs::weakly_canonical(current, error);
    if (error) return current.lexically_normal();
    // weakly_canonical follows the links that lead to existing files; a link
    // whose target does not exist yet is left in place: follow it by hand.
    if (!fs::is_symlink(fs::symlink_status(resolved, error))) return resolved;
    const fs::path target = fs::read_symlink(resolved, error);
    if (error) return resolved;
    current = target.is_absolute() ? target : resolved.parent_path() / target;
  }
  return current.lexically_normal();
}

bool same_file(const fs::path& a, const fs::path& b) {
  struct stat info_a {};
  struct stat info_b {};
  if (identity_of(a, info_a) && identity_of(b, info_b)) return same_identity(info_a, info_b);
  return resolved_path(a) == resolved_path(b);
}

bool names_stream_file(const fs::path& path, std::FILE* stream) {
  const int descriptor = ::fileno(stream);
  struct stat stream_info {};
  struct stat path_info {};
  if (descriptor < 0 || ::fstat(descriptor, &stream_info) != 0 || !S_ISREG(stream_info.st_mode)) {
    return false;
  }
  return identity_of(path, path_info) && same_identity(stream_info, path_info);
}

}  // namespace ascent
