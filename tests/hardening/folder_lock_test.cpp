// Two sessions in one working folder: the second is told at once that the
// folder's plot and constants files are in use, and ends with error 5 before
// it touches any file; the first goes on alone. A session that dies leaves
// the folder free, and sessions in different folders run side by side.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <string>

#include "console/session.hpp"
#include "hardening/hardening_support.hpp"
#include "hardening/running_program.hpp"

namespace ascent::testing {
namespace {

namespace fs = std::filesystem;

struct Folder : TempDir {
  Folder() { install_sample_thrust_file(*this); }
};

Launch ascent_in(const TempDir& dir) {
  return launch_of(ASCENT_EXE, dir.path());
}

/// Every file in the folder with its bytes.
std::map<std::string, std::string> contents(const TempDir& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    files[name] = dir.read(name);
  }
  return files;
}

std::string in_use(const TempDir& dir) {
  return "the folder \"" + fs::canonical(dir.path()).string() +
         "\" is in use by another session, which writes its plot files and constants file "
         "there: run this one in another folder, or after it";
}

TEST(FolderLock, ASecondSessionInTheFolderEndsWith5BeforeTouchingAFile) {
  Folder dir;
  RunningProgram first(ascent_in(dir));
  first.answer("run.txt\n20\n18\n");
  ASSERT_TRUE(first.wait_for_output(std::string(ANGLE_PROMPT) + TURN_PROMPT));
  const std::map<std::string, std::string> before = contents(dir);

  // With an output file or without: told before the first prompt, and
  // nothing of the folder touched.
  for (const std::string answers : {"other.txt\n30\n20\n-1\n", "\n30\n20\n-1\n"}) {
    const ProgramResult second = run_program_with(dir, answers);
    EXPECT_EQ(second.status, 5);
    EXPECT_EQ(second.standard_output.rfind("Runtime error 5 at $", 0), 0u)
        << second.standard_output;
    EXPECT_EQ(failure_cause(second.standard_output), in_use(dir));
    std::map<std::string, std::string> after = contents(dir);
    after.erase("answers.in");
    EXPECT_EQ(after, before);
  }

  // The first session goes on alone: its files hold its runs only.
  first.answer("25\n19\n-1\n");
  EXPECT_EQ(first.wait(), 0) << first.standard_output();
  const std::string output = dir.read("run.txt");
  EXPECT_EQ(output.find("Turn Time = 30.000"), std::string::npos);
  expect_whole_files(dir, "run.txt");
  EXPECT_FALSE(dir.exists("other.txt"));
}

TEST(FolderLock, AscentTrimsRunFilesInAFolderInUseEndWith5BeforeTheTrim) {
  Folder dir;
  RunningProgram session(ascent_in(dir));
  session.answer("run.txt\n20\n18\n");
  ASSERT_TRUE(session.wait_for_output(std::string(ANGLE_PROMPT) + TURN_PROMPT));
  const std::map<std::string, std::string> before = contents(dir);

  Launch trim = launch_of(ASCENT_TRIM_EXE, dir.path(), {"trim", "-t", "20", "--run-files", "."});
  trim.input_file = "/dev/null";
  RunningProgram tool(trim);
  EXPECT_EQ(tool.wait(), 5);
  EXPECT_EQ(tool.standard_output(), "");
  EXPECT_EQ(tool.standard_error(), "ascent-trim: --run-files: " + in_use(dir) + "\n");
  EXPECT_EQ(contents(dir), before);

  session.answer("-1\n");
  EXPECT_EQ(session.wait(), 0);
  expect_whole_files(dir, "run.txt");
}

TEST(FolderLock, ASessionThatDiesLeavesTheFolderFree) {
  Folder dir;
  {
    RunningProgram killed(ascent_in(dir));
    killed.answer("run.txt\n20\n");
    ASSERT_TRUE(killed.wait_for_output(ANGLE_PROMPT));
    killed.send(SIGKILL);
    EXPECT_EQ(killed.wait(), 128 + SIGKILL);
  }
  const ProgramResult next = run_program_with(dir, "run.txt\n20\n18\n-1\n");
  EXPECT_EQ(next.status, 0) << next.standard_output;
  expect_whole_files(dir, "run.txt");
}

TEST(FolderLock, SessionsInDifferentFoldersRunSideBySide) {
  Folder one;
  Folder two;
  RunningProgram first(ascent_in(one));
  RunningProgram second(ascent_in(two));
  for (RunningProgram* program : {&first, &second}) program->answer("run.txt\n20\n18\n-1\n");
  EXPECT_EQ(first.wait(), 0);
  EXPECT_EQ(second.wait(), 0);
  EXPECT_EQ(one.read("run.txt"), two.read("run.txt"));
}

TEST(FolderLock, TwoSessionsOfOneProcessInOneFolderAreRefusedToo) {
  Folder dir;
  // The first session waits at the file name; the second one comes.
  ScriptedSession first(dir, "");
  Session& session = first.session();
  session.io.bind_output("run.txt");
  const SessionResult second = run_in_process(dir, "\n20\n18\n-1\n");
  EXPECT_EQ(second.status, 5);
  EXPECT_EQ(failure_cause(second.standard_output), in_use(dir));
  session.io.close_channels();
  EXPECT_EQ(run_in_process(dir, "\n20\n18\n-1\n").status, 0);
}

}  // namespace
}  // namespace ascent::testing
