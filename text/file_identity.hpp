// The file a name leads to: "." and ".." resolved and symbolic links followed,
// a link to a file that does not exist yet included. The file guard compares
// names by it where a file does not exist yet to compare by device and inode.
#pragma once

#include <filesystem>

namespace ascent {

/// `path` made absolute, with "." and ".." resolved and every symbolic link
/// followed as far as the file system knows it; a part that does not exist
/// yet is kept as written.
std::filesystem::path resolved_path(const std::filesystem::path& path);

}  // namespace ascent
