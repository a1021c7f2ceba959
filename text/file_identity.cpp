#include "text/file_identity.hpp"

#include <system_error>

namespace ascent {

namespace {

namespace fs = std::filesystem;

/// Links followed at most, as the kernel does (ELOOP beyond it).
constexpr int MAX_LINK_HOPS = 40;

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

}  // namespace ascent
