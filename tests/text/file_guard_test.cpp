// Every route by which a writer's path can reach a file the program reads,
// another writer's file, or the file behind a standard stream is refused;
// unrelated files are not.
#include "text/file_guard.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "support/session.hpp"

namespace ascent::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* THRUST = "the booster thrust file";
constexpr const char* PLOT = "a plot file";
constexpr const char* CONSTANTS = "the constants file";
constexpr const char* OUTPUT = "the output file";

/// A claim of `path` by `writer` is refused as reaching `reached`, with a
/// message that names the path.
void expect_refused(FileGuard& guard, const fs::path& path, const std::string& writer,
                    const std::string& reached) {
  try {
    guard.claim(path, writer);
    ADD_FAILURE() << path << " was claimed as " << writer;
  } catch (const FileRefused& refused) {
    EXPECT_EQ(refused.reached().what, reached) << path;
    EXPECT_EQ(refused.code(), 5);
    EXPECT_NE(std::string(refused.what()).find('"' + path.string() + '"'), std::string::npos)
        << refused.what();
  }
}

/// Both ends of a pipe, closed at the end of the test.
struct Pipe {
  int ends[2] = {-1, -1};
  Pipe() {
    if (::pipe(ends) != 0) throw std::runtime_error("cannot create a pipe");
  }
  ~Pipe() {
    ::close(ends[0]);
    ::close(ends[1]);
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
};

std::string descriptor_name(const char* folder, int descriptor) {
  return std::string(folder) + std::to_string(descriptor);
}

TEST(FileGuard, EveryNameOfAFileReadIsRefused) {
  TempDir dir;
  const fs::path& d = dir.path();
  dir.write("s1.dat", "thrust");
  fs::create_directory(d / "sub");
  fs::create_hard_link(d / "s1.dat", d / "hard");
  fs::create_symlink("s1.dat", d / "soft");
  fs::create_symlink("soft", d / "soft-to-soft");
  fs::create_symlink("sub/../s1.dat", d / "soft-through-dots");
  fs::create_symlink(".", d / "here");
  // Registered by a relative name: it stays the file in that folder after
  // the working folder changes.
  const fs::path before = fs::current_path();
  fs::current_path(d / "sub");
  FileGuard guard;
  guard.add_read_file("../s1.dat", THRUST);
  fs::current_path(before);
  for (const fs::path& name : {d / "s1.dat", d / "." / "s1.dat", d / "sub" / ".." / "s1.dat",
                               d / "hard", d / "soft", d / "soft-to-soft", d / "soft-through-dots",
                               d / "here" / "s1.dat", d / "here" / "soft"}) {
    expect_refused(guard, name, PLOT, THRUST);
  }
}

TEST(FileGuard, FilesNotWrittenYetAreReachedThroughDanglingLinks) {
  TempDir dir;
  const fs::path& d = dir.path();
  dir.write("s1.dat", "thrust");
  fs::create_symlink("const_n.hpp", d / "speed.dat");
  fs::create_symlink("speed.dat", d / "height.dat");
  fs::create_symlink(".", d / "here");
  FileGuard guard;
  guard.add_read_file(d / "s1.dat", THRUST);
  guard.claim(d / "const_n.hpp", CONSTANTS);
  expect_refused(guard, d / "speed.dat", PLOT, CONSTANTS);
  expect_refused(guard, d / "height.dat", PLOT, CONSTANTS);
  expect_refused(guard, d / "here" / "const_n.hpp", OUTPUT, CONSTANTS);

  // The temporary file of a replacement is guarded as the file replaced.
  const std::string part = ".out.hpp." + std::to_string(::getpid()) + ".part";
  fs::create_symlink("s1.dat", d / part);
  try {
    guard.claim_replacing(d / "out.hpp", CONSTANTS);
    ADD_FAILURE() << part << " was claimed";
  } catch (const FileRefused& refused) {
    EXPECT_EQ(refused.reached().what, THRUST);
    EXPECT_NE(std::string(refused.what()).find("the temporary file of the constants file"),
              std::string::npos)
        << refused.what();
  }
}

TEST(FileGuard, ClaimsLastAndOnlyAWritersOwnNameMayBeClaimedAgain) {
  TempDir dir;
  const fs::path& d = dir.path();
  dir.write("speed.dat", "");
  fs::create_symlink("speed.dat", d / "height.dat");
  FileGuard guard;
  guard.claim(d / "run.txt", OUTPUT);
  guard.claim_replacing(d / "const_n.hpp", CONSTANTS);
  guard.claim(d / "speed.dat", PLOT);
  // A later run rewrites its own files.
  EXPECT_NO_THROW(guard.claim(d / "run.txt", OUTPUT));
  EXPECT_NO_THROW(guard.claim(d / "." / "run.txt", OUTPUT));
  EXPECT_NO_THROW(guard.claim_replacing(d / "const_n.hpp", CONSTANTS));
  // Another writer, or the same kind of writer under another name, may not.
  expect_refused(guard, d / "run.txt", PLOT, OUTPUT);
  expect_refused(guard, d / "height.dat", PLOT, PLOT);
  // Nor may a file the program writes be read.
  EXPECT_THROW(guard.add_read_file(d / "const_n.hpp", THRUST), FileRefused);
}

TEST(FileGuard, UnrelatedFilesAreAccepted) {
  TempDir dir;
  const fs::path& d = dir.path();
  dir.write("s1.dat", "thrust");
  dir.write("other.dat", "other");
  fs::create_directory(d / "sub");
  fs::copy_file(d / "s1.dat", d / "copy.dat");
  fs::create_symlink("other.dat", d / "link-to-other");
  fs::create_symlink("missing.dat", d / "dangling");
  fs::create_symlink("loop-b", d / "loop-a");
  fs::create_symlink("loop-a", d / "loop-b");
  char bytes[] = "20\n";
  std::FILE* input = fmemopen(bytes, 3, "r");
  std::FILE* output = std::tmpfile();
  ASSERT_NE(input, nullptr);
  ASSERT_NE(output, nullptr);
  FileGuard guard;
  guard.add_standard_streams(input, output);
  guard.add_read_file(d / "s1.dat", THRUST);
  guard.add_read_file(d / "s1.dat", THRUST);
  guard.claim(d / "const_n.hpp", CONSTANTS);
  for (const fs::path& name : {d / "copy.dat", d / "sub" / "s1.dat", d / "s1.dat.bak",
                               d / "link-to-other", d / "dangling", d / "loop-a",
                               d / "sub" / "const_n.hpp"}) {
    EXPECT_FALSE(guard.reached_by(name, PLOT)) << name;
    EXPECT_NO_THROW(guard.claim(name, PLOT)) << name;
  }
  std::fclose(output);
  std::fclose(input);
}

TEST(FileGuard, TheStandardStreamsWhateverTheyAre) {
  const Pipe input;
  const Pipe output;
  FileGuard guard;
  guard.add_standard_streams(input.ends[0], output.ends[1]);
  for (const char* folder : {"/dev/fd/", "/proc/self/fd/"}) {
    SCOPED_TRACE(folder);
    expect_refused(guard, descriptor_name(folder, input.ends[0]), OUTPUT, "the standard input");
    // The other end is the same pipe.
    expect_refused(guard, descriptor_name(folder, output.ends[0]), OUTPUT,
                   "the standard output");
  }
  // /dev/stdin is the process's descriptor 0, here the input pipe.
  const int saved = ::dup(STDIN_FILENO);
  ASSERT_EQ(::dup2(input.ends[0], STDIN_FILENO), STDIN_FILENO);
  FileGuard process_guard;
  process_guard.add_standard_streams(stdin, stdout);
  const std::optional<GuardedFile> reached = process_guard.reached_by("/dev/stdin", OUTPUT);
  ::dup2(saved, STDIN_FILENO);
  ::close(saved);
  ASSERT_TRUE(reached);
  EXPECT_EQ(reached->what, "the standard input");

  // A regular file and a device as the standard output.
  TempDir dir;
  const fs::path& d = dir.path();
  const int file = ::open((d / "session.out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  const int device = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(file, 0);
  ASSERT_GE(device, 0);
  fs::create_hard_link(d / "session.out", d / "hard");
  FileGuard file_guard;
  file_guard.add_standard_streams(-1, file);
  expect_refused(file_guard, d / "session.out", PLOT, "the standard output");
  expect_refused(file_guard, d / "hard", PLOT, "the standard output");
  EXPECT_THROW(file_guard.add_read_file(d / "hard", THRUST), FileRefused);
  FileGuard device_guard;
  device_guard.add_standard_streams(-1, device);
  expect_refused(device_guard, "/dev/null", OUTPUT, "the standard output");
  ::close(device);
  ::close(file);
}

}  // namespace
}  // namespace ascent::testing
