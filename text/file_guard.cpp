#include "text/file_guard.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <system_error>
#include <utility>

#include "text/file_identity.hpp"
#include "text/replacement.hpp"

namespace ascent {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view STANDARD_INPUT = "the standard input";
constexpr std::string_view STANDARD_OUTPUT = "the standard output";

fs::path absolute_name(const fs::path& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  return error ? path : absolute;
}

std::string described(const GuardedFile& file) {
  return file.name.empty() ? file.what : file.what + " \"" + file.name + "\"";
}

}  // namespace

FileRefused::FileRefused(const std::string& message, GuardedFile reached, SourceLocation where)
    : InputError(ErrorCode::access_denied, message + ": it is " + described(reached), where),
      reached_(std::move(reached)) {}

std::optional<FileGuard::Identity> FileGuard::identity_of(const fs::path& path) {
  // stat follows every link, also /dev/stdout and /proc/self/fd/N to the
  // pipe, terminal or file a descriptor is open on.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return Identity{info.st_dev, info.st_ino};
}

void FileGuard::add_descriptor(int descriptor, std::string what, bool written) {
  struct stat info {};
  if (descriptor < 0 || ::fstat(descriptor, &info) != 0) return;
  entries_.push_back(Entry{{std::move(what), ""}, {}, Identity{info.st_dev, info.st_ino}, written});
}

void FileGuard::add_standard_streams(int input_descriptor, int output_descriptor) {
  add_descriptor(input_descriptor, std::string(STANDARD_INPUT), false);
  add_descriptor(output_descriptor, std::string(STANDARD_OUTPUT), true);
}

void FileGuard::add_standard_streams(std::FILE* input, std::FILE* output) {
  add_standard_streams(::fileno(input), ::fileno(output));
}

bool FileGuard::reaches(const Entry& entry, Candidate& candidate) {
  const std::optional<Identity>& identity = candidate.identity;
  if (entry.absolute.empty()) return identity && identity == entry.identity;
  const std::optional<Identity> entry_identity = identity_of(entry.absolute);
  // Two files that exist are the same file exactly when stat, which follows
  // every link, finds the same one (a hard link too).
  if (identity && entry_identity) return identity == entry_identity;
  // Files not there yet: the names they resolve to, dangling links followed.
  if (!candidate.resolved) candidate.resolved = resolved_path(candidate.absolute);
  return *candidate.resolved == resolved_path(entry.absolute);
}

bool FileGuard::same_registration(const Entry& entry, const fs::path& absolute,
                                  std::string_view what, bool written) {
  return entry.written == written && entry.file.what == what &&
         entry.absolute.lexically_normal() == absolute.lexically_normal();
}

const FileGuard::Entry* FileGuard::first_reached(const fs::path& absolute,
                                                 std::optional<std::string_view> writer) const {
  Candidate candidate{absolute, identity_of(absolute), std::nullopt};
  const auto reached = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
    if (!writer) return entry.written && reaches(entry, candidate);
    // A writer that names its own file again, for a later run, is no conflict.
    return !same_registration(entry, absolute, *writer, true) && reaches(entry, candidate);
  });
  return reached == entries_.end() ? nullptr : &*reached;
}

void FileGuard::remember(const fs::path& path, const fs::path& absolute, std::string what,
                         bool written) {
  const bool known = std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) {
    return same_registration(entry, absolute, what, written);
  });
  if (!known) entries_.push_back(Entry{{std::move(what), path.string()}, absolute, {}, written});
}

std::optional<GuardedFile> FileGuard::reached_by(const fs::path& path,
                                                 std::string_view what) const {
  const Entry* reached = first_reached(absolute_name(path), what);
  if (reached == nullptr) return std::nullopt;
  return reached->file;
}

void FileGuard::add_read_file(const fs::path& path, std::string what) {
  const fs::path absolute = absolute_name(path);
  if (const Entry* reached = first_reached(absolute, std::nullopt)) {
    throw FileRefused("cannot read " + what + " \"" + path.string() + "\"", reached->file);
  }
  remember(path, absolute, std::move(what), false);
}

void FileGuard::claim(const fs::path& path, std::string what) {
  const fs::path absolute = absolute_name(path);
  if (const Entry* reached = first_reached(absolute, what)) {
    throw FileRefused("cannot write " + what + " to \"" + path.string() + "\"", reached->file);
  }
  remember(path, absolute, std::move(what), true);
}

void FileGuard::claim_replacing(const fs::path& path, const std::string& what) {
  claim(path, what);
  claim(replacement_of(path).pending, "the temporary file of " + what);
}

}  // namespace ascent
