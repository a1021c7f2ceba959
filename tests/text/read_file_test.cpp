// Files to be read: a regular file opens (and reads as usual), anything else
// is refused at once, named and said what it is.
#include "base/read_file.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "base/runtime_error.hpp"
#include "support/session.hpp"

namespace ascent::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* THRUST = "the booster thrust file";

/// Ends the test program (a failure) if the test is still running after
/// `seconds`: an open or a read that waits for ever.
class Deadline {
 public:
  explicit Deadline(unsigned seconds) { ::alarm(seconds); }
  ~Deadline() { ::alarm(0); }
  Deadline(const Deadline&) = delete;
  Deadline& operator=(const Deadline&) = delete;
};

/// The failure of opening `path`, which must fail.
RuntimeError failure_of(const fs::path& path) {
  try {
    open_for_reading(path, THRUST);
  } catch (const RuntimeError& failure) {
    return failure;
  }
  throw std::logic_error(path.string() + " was opened");
}

TEST(ReadFile, ARegularFileReadsAsUsual) {
  TempDir dir;
  dir.write("s1.dat", "1 2\n");
  fs::create_symlink("s1.dat", dir.path() / "link");
  const FileOwner file = open_for_reading(dir.path() / "link", THRUST);
  ASSERT_TRUE(file);
  EXPECT_EQ(::fcntl(::fileno(file.get()), F_GETFL) & O_NONBLOCK, 0) << "reads must wait again";
  char line[8] = {};
  ASSERT_NE(std::fgets(line, sizeof line, file.get()), nullptr);
  EXPECT_STREQ(line, "1 2\n");
}

TEST(ReadFile, WhatIsNotARegularFileIsRefusedWithoutWaiting) {
  TempDir dir;
  const fs::path& d = dir.path();
  ASSERT_EQ(::mkfifo((d / "fifo").c_str(), 0600), 0);
  fs::create_symlink("fifo", d / "link-to-fifo");
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_path = (d / "socket").string();
  ASSERT_LT(socket_path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
  ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

  const Deadline deadline(10);
  for (const auto& [path, kind] : {std::pair<fs::path, std::string>{d / "fifo", "a FIFO"},
                                   {d / "link-to-fifo", "a FIFO"},
                                   {"/dev/zero", "a device"},
                                   {d, "a folder"},
                                   {d / "socket", "a socket"}}) {
    const RuntimeError failure = failure_of(path);
    EXPECT_EQ(failure.code(), 5) << path;
    EXPECT_EQ(std::string(failure.what()),
              std::string(THRUST) + " \"" + path.string() + "\" is " + kind +
                  ", not a regular file");
  }
  ::close(listener);
}

TEST(ReadFile, MissingFilesAndFoldersHaveTheirErrorNumbers) {
  TempDir dir;
  const fs::path& d = dir.path();
  dir.write("s1.dat", "1 2\n");
  const RuntimeError missing = failure_of(d / "missing.dat");
  EXPECT_EQ(missing.code(), 2);
  EXPECT_EQ(std::string(missing.what()), "cannot open the booster thrust file \"" +
                                             (d / "missing.dat").string() +
                                             "\": No such file or directory");
  EXPECT_EQ(failure_of(d / "s1.dat" / "s1.dat").code(), 3);
}

}  // namespace
}  // namespace ascent::testing
