// The two files a replacing writer touches: the new text goes to a temporary
// file beside the file replaced, renamed over it once it is safely on disk.
#pragma once

#include <filesystem>

namespace ascent {

struct Replacement {
  std::filesystem::path target;   ///< the file replaced: the one a link leads to, the link stays
  std::filesystem::path pending;  ///< ".NAME.PID.part" beside it
};

/// The files a replacement of `path` writes. The temporary name holds the
/// process id, so that two sessions in one folder never share it.
Replacement replacement_of(const std::filesystem::path& path);

}  // namespace ascent
