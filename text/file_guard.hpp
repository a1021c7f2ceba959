// The files a program must never write: the files it reads, the files its
// other writers have claimed, and the files behind its standard input and
// output. Every writer claims its path here before it opens anything, so an
// output name, a plot file or a constants file that reaches one of them (by
// name, through "." and "..", by a symbolic link, dangling or in a folder, by
// a hard link, or through /dev/stdout, /proc/self/fd/1 and the like) is
// refused while nothing has been emptied yet.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/runtime_error.hpp"

namespace ascent {

/// A file the guard keeps from being written: what it is to the program.
struct GuardedFile {
  std::string what;  ///< "the booster thrust file", "a plot file", "the standard input", ...
  std::string name;  ///< the path it was registered by; "" for a standard stream
};

/// A writer's path, or a file to be read, reaches a guarded file. Error 5.
class FileRefused : public InputError {
 public:
  FileRefused(const std::string& message, GuardedFile reached,
              SourceLocation where = SourceLocation::current());
  [[nodiscard]] const GuardedFile& reached() const { return reached_; }

 private:
  GuardedFile reached_;
};

class FileGuard {
 public:
  /// Guards nothing yet.
  FileGuard() = default;

  /// Guards the files behind the two descriptors (0 and 1 in a program;
  /// tests pass pipe ends): a regular file, a pipe, a terminal or a device.
  /// A closed descriptor guards nothing. The output is a written file, so a
  /// file to be read may not be it either.
  void add_standard_streams(int input_descriptor, int output_descriptor);
  /// The same for streams; one that is not open on a descriptor (a memory
  /// stream) guards nothing.
  void add_standard_streams(std::FILE* input, std::FILE* output);

  /// Guards a file the program reads. Throws FileRefused when it is a file
  /// the program writes: a claimed file or the standard output.
  void add_read_file(const std::filesystem::path& path, std::string what);

  /// Claims `path` for a writer (`what`: "the output file", "a plot file",
  /// ...). Throws FileRefused when it reaches any guarded file. The claim
  /// lasts as long as the guard: the same writer may claim the same name
  /// again, for a later run that rewrites its own file.
  void claim(const std::filesystem::path& path, std::string what);
  /// Claims `path` for a writer that replaces it (TextChannel::replace), and
  /// the temporary file it writes first beside the file replaced.
  void claim_replacing(const std::filesystem::path& path, const std::string& what);

  /// The guarded file a claim of `path` by `what` would reach, if any: the
  /// check of `claim` without the claim, for a prompt that asks again.
  [[nodiscard]] std::optional<GuardedFile> reached_by(const std::filesystem::path& path,
                                                      std::string_view what) const;

 private:
  struct Identity {
    std::uintmax_t device = 0;
    std::uintmax_t inode = 0;
    bool operator==(const Identity&) const = default;
  };
  struct Entry {
    GuardedFile file;
    std::filesystem::path absolute;   ///< the registered name made absolute; empty for a stream
    std::optional<Identity> identity;  ///< the stream's file; a named file is looked up anew
    bool written = false;
  };

  /// The path a check looks at: its file and the name it resolves to are
  /// looked up once for all the entries it is compared with.
  struct Candidate {
    std::filesystem::path absolute;
    std::optional<Identity> identity;
    std::optional<std::filesystem::path> resolved;  ///< looked up when first needed
  };

  static std::optional<Identity> identity_of(const std::filesystem::path& path);
  static bool reaches(const Entry& entry, Candidate& candidate);
  static bool same_registration(const Entry& entry, const std::filesystem::path& absolute,
                                std::string_view what, bool written);
  void add_descriptor(int descriptor, std::string what, bool written);
  /// The first entry `absolute` reaches: for a `writer`, any entry but its
  /// own claim of that name; for a file to be read (nullopt), a written one.
  [[nodiscard]] const Entry* first_reached(const std::filesystem::path& absolute,
                                           std::optional<std::string_view> writer) const;
  /// Adds a named file unless it is registered already in the same role.
  void remember(const std::filesystem::path& path, const std::filesystem::path& absolute,
                std::string what, bool written);

  std::vector<Entry> entries_;
};

}  // namespace ascent
