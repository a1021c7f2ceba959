#include "text/replacement.hpp"

#include <unistd.h>

#include <string>
#include <system_error>

namespace ascent {

Replacement replacement_of(const std::filesystem::path& path) {
  std::error_code error;
  Replacement replacement{std::filesystem::canonical(path, error), {}};
  if (error) replacement.target = path;  // not there yet, or out of reach: the writer finds out
  std::string pending_name = replacement.target.filename().string();
  pending_name.insert(0, 1, '.');
  pending_name += '.';
  pending_name += std::to_string(::getpid());
  pending_name += ".part";
  replacement.pending = replacement.target;
  replacement.pending.replace_filename(pending_name);
  return replacement;
}

}  // namespace ascent
