// The constants file is replaced whole at the end of a run: until the new one
// is on disk the old one stays, and a failure never leaves it half written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "hardening/hardening_support.hpp"
#include "base/runtime_error.hpp"
#include "text/text_channel.hpp"

namespace ascent::testing {
namespace {

namespace fs = std::filesystem;

/// Names in the folder other than `expected` (a file left behind, say).
std::string others(const TempDir& dir, std::initializer_list<std::string> expected) {
  std::string found;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (std::find(expected.begin(), expected.end(), name) == expected.end()) found += name + " ";
  }
  return found;
}

TEST(ReplacingChannel, TheOldFileStaysUntilTheClose) {
  TempDir dir;
  dir.write("data.txt", "old\r\n");
  {
    TextChannel channel = TextChannel::replace(dir.path() / "data.txt");
    channel.write_line("new");
    channel.flush();
    EXPECT_EQ(dir.read("data.txt"), "old\r\n");
    channel.close();
  }
  EXPECT_EQ(dir.read("data.txt"), "new\r\n");
  EXPECT_EQ(others(dir, {"data.txt"}), "");
}

TEST(ReplacingChannel, AnAbandonedChannelLeavesTheOldFileAndNoTrace) {
  TempDir dir;
  dir.write("data.txt", "old\r\n");
  {
    TextChannel channel = TextChannel::replace(dir.path() / "data.txt");
    channel.write_line("half of the new");
    channel.abandon();
  }
  {
    // Dropped without a close, as when a failure unwinds past it.
    TextChannel channel = TextChannel::replace(dir.path() / "data.txt");
    channel.write_line("half of the new");
    TextChannel moved = std::move(channel);
  }
  {
    TextChannel channel = TextChannel::replace(dir.path() / "fresh.txt");
    channel.write_line("never finished");
  }
  EXPECT_EQ(dir.read("data.txt"), "old\r\n");
  EXPECT_EQ(others(dir, {"data.txt"}), "");
}

TEST(ReplacingChannel, ALinkIsWrittenThroughAndKept) {
  TempDir dir;
  fs::create_directory(dir.path() / "kept");
  dir.write("kept/data.txt", "old\r\n");
  fs::create_symlink("kept/data.txt", dir.path() / "link");
  TextChannel channel = TextChannel::replace(dir.path() / "link");
  channel.write_line("new");
  channel.close();
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link"));
  EXPECT_EQ(dir.read("kept/data.txt"), "new\r\n");
  EXPECT_EQ(others(dir, {"kept", "link"}), "");
}

TEST(ReplacingChannel, WhatCreateRefusesItRefusesToo) {
  TempDir dir;
  fs::create_directory(dir.path() / "folder");
  struct Case {
    fs::path path;
    int status;
    const char* why;
  };
  const Case cases[] = {
      {dir.path() / "folder", 5, "Is a directory"},
      {dir.path() / "missing" / "data.txt", 3, "No such file or directory"},
  };
  for (const Case& c : cases) {
    try {
      TextChannel::replace(c.path);
      ADD_FAILURE() << c.path << " was accepted";
    } catch (const RuntimeError& refusal) {
      EXPECT_EQ(refusal.code(), c.status) << c.path;
      EXPECT_EQ(std::string(refusal.what()), "cannot create \"" + c.path.string() + "\": " + c.why);
    }
  }
  EXPECT_EQ(others(dir, {"folder"}), "");
}

TEST(ReplacingChannel, AFileWithoutWritePermissionIsRefusedAndKept) {
  // Renaming over a file needs only the folder's permission: the channel
  // itself must refuse a file its owner made read-only.
  if (geteuid() == 0) GTEST_SKIP() << "root writes through permission bits";
  TempDir dir;
  dir.write("locked.txt", "old\r\n");
  fs::permissions(dir.path() / "locked.txt", fs::perms::owner_read);
  try {
    TextChannel::replace(dir.path() / "locked.txt");
    ADD_FAILURE() << "a read-only file was accepted";
  } catch (const RuntimeError& refusal) {
    EXPECT_EQ(refusal.code(), 5);
  }
  EXPECT_EQ(dir.read("locked.txt"), "old\r\n");
}

TEST(ConstantsFile, AFolderInItsPlaceEndsTheRunWithError5AndLosesNothing) {
  TempDir dir;
  install_sample_thrust_file(dir);
  fs::create_directory(dir.path() / "const_n.hpp");
  const CountedSession s = run_counting_steps(dir, "out.txt\n20\n30\n-1\n");
  EXPECT_EQ(s.result.status, 5);
  EXPECT_EQ(failure_cause(s.result.standard_output),
            "cannot create \"" + (dir.path() / "const_n.hpp").string() + "\": Is a directory");
  expect_nothing_lost(dir, "out.txt", s.steps);
  // The summary is written up to the constants file.
  EXPECT_TRUE(
      dir.read("out.txt").ends_with("; {kg, interstage, third stage and payload mass}\r\n"));
  EXPECT_TRUE(fs::is_empty(dir.path() / "const_n.hpp"));
  EXPECT_EQ(others(dir, {"s1.dat", "out.txt", "const_n.hpp", "speed.dat", "height.dat", "accel.dat",
                         "dynpres.dat"}),
            "");
}

}  // namespace
}  // namespace ascent::testing
