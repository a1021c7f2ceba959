// Opening a file to be read only when it is a regular file. A FIFO, a device,
// a socket or a folder is refused before a read could wait on it for ever
// (a FIFO without a writer, a terminal) or never end (/dev/zero).
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>

namespace ascent {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileOwner = std::unique_ptr<std::FILE, FileCloser>;

/// Opens `path`, which is `what` to the program ("the booster thrust file"),
/// for reading. Throws FileError naming both: the error number of the
/// failed open (2 missing, 3 a folder of the path missing, 5 no permission,
/// ...), or 5 for a file that is not a regular file.
FileOwner open_for_reading(const std::filesystem::path& path, std::string_view what);

}  // namespace ascent
