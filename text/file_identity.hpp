// Whether two names reach the same file. The output file must never be a file
// the program reads or writes under another name: opening it for writing
// would empty an input or mix two outputs. Names are compared after "." and
// ".." are resolved and symbolic links followed (a link to a file that does
// not exist yet included), and existing files also by device and inode, so a
// hard link is caught as well.
#pragma once

#include <cstdio>
#include <filesystem>

namespace ascent {

/// `path` made absolute, with "." and ".." resolved and every symbolic link
/// followed as far as the file system knows it; a part that does not exist
/// yet is kept as written.
std::filesystem::path resolved_path(const std::filesystem::path& path);

/// True when `a` and `b` name the same file, existing or not.
bool same_file(const std::filesystem::path& a, const std::filesystem::path& b);

/// True when `stream` is open on a regular file and `path` names that file.
bool names_stream_file(const std::filesystem::path& path, std::FILE* stream);

}  // namespace ascent
