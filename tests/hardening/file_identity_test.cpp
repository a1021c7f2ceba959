// Whether two names reach the same file: by name after resolving ".", ".."
// and links (also links to files not there yet), and by device and inode.
#include "text/file_identity.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/session.hpp"

namespace ascent::testing {
namespace {

namespace fs = std::filesystem;

TEST(FileIdentity, NamesOfOneFile) {
  TempDir dir;
  const fs::path& d = dir.path();
  dir.write("data.txt", "x");
  fs::create_directory(d / "sub");
  fs::create_hard_link(d / "data.txt", d / "hard");
  fs::create_symlink("data.txt", d / "soft");
  fs::create_symlink("soft", d / "soft-to-soft");
  fs::create_symlink(d / "sub", d / "sub-link");
  for (const fs::path& other :
       {d / "data.txt", d / "." / "data.txt", d / "sub" / ".." / "data.txt", d / "hard", d / "soft",
        d / "soft-to-soft", d / "sub-link" / ".." / "data.txt"}) {
    EXPECT_TRUE(same_file(d / "data.txt", other)) << other;
  }
  // Files that do not exist yet are the same when their names resolve alike.
  fs::create_symlink("later.txt", d / "dangling");
  fs::create_symlink("dangling", d / "dangling-to-dangling");
  EXPECT_TRUE(same_file(d / "later.txt", d / "sub" / ".." / "later.txt"));
  EXPECT_TRUE(same_file(d / "later.txt", d / "dangling"));
  EXPECT_TRUE(same_file(d / "dangling-to-dangling", d / "later.txt"));
}

TEST(FileIdentity, NamesOfDifferentFiles) {
  TempDir dir;
  const fs::path& d = dir.path();
  dir.write("a.txt", "same bytes");
  dir.write("b.txt", "same bytes");
  fs::create_directory(d / "sub");
  fs::create_symlink("a.txt", d / "link-to-a");
  EXPECT_FALSE(same_file(d / "a.txt", d / "b.txt"));
  EXPECT_FALSE(same_file(d / "b.txt", d / "link-to-a"));
  EXPECT_FALSE(same_file(d / "a.txt", d / "sub" / "a.txt"));
  EXPECT_FALSE(same_file(d / "later.txt", d / "a.txt"));
  // A copy made where a link was is another file.
  fs::remove(d / "link-to-a");
  fs::copy_file(d / "a.txt", d / "link-to-a");
  EXPECT_FALSE(same_file(d / "a.txt", d / "link-to-a"));
  // A loop of links resolves to nothing and matches nothing else.
  fs::create_symlink("loop-b", d / "loop-a");
  fs::create_symlink("loop-a", d / "loop-b");
  EXPECT_FALSE(same_file(d / "loop-a", d / "a.txt"));
}

TEST(FileIdentity, TheFileBehindAStream) {
  TempDir dir;
  dir.write("in.txt", "20\n");
  dir.write("other.txt", "20\n");
  std::FILE* file = std::fopen((dir.path() / "in.txt").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(names_stream_file(dir.path() / "in.txt", file));
  EXPECT_FALSE(names_stream_file(dir.path() / "other.txt", file));
  EXPECT_FALSE(names_stream_file(dir.path() / "missing.txt", file));
  std::fclose(file);
  // Streams that are not files match no name.
  char bytes[] = "20\n";
  std::FILE* memory = fmemopen(bytes, 3, "r");
  EXPECT_FALSE(names_stream_file(dir.path() / "in.txt", memory));
  std::fclose(memory);
  std::FILE* device = std::fopen("/dev/null", "wb");
  ASSERT_NE(device, nullptr);
  EXPECT_FALSE(names_stream_file("/dev/null", device)) << "only regular files are guarded";
  std::fclose(device);
}

}  // namespace
}  // namespace ascent::testing
