// Output file names that cannot be used: too long, a folder, a missing
// folder, no write permission, a full device; and names that would destroy
// an input or mix two outputs, which are refused and asked for again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "hardening/hardening_support.hpp"
#include "hardening/running_program.hpp"

namespace ascent::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

struct Folder : TempDir {
  Folder() { install_sample_thrust_file(*this); }
};

std::string refusal(const std::string& shown, const std::string& what) {
  return "Error! \"" + shown + "\" " + what + "; choose another output file name.\r\n";
}

TEST(BadOutputFile, ANameLongerThan255CharactersIsCut) {
  Folder dir;
  const std::string name(300, 'n');
  const CountedSession s = run_counting_steps(dir, name + "\n20\n30\n-1\n");
  ASSERT_EQ(s.result.status, 0) << failure_cause(s.result.standard_output);
  const std::string kept = name.substr(0, 255);
  EXPECT_NE(dir.read(kept).find("Upper Stage in Orbit!"), std::string::npos);
  expect_nothing_lost(dir, kept, s.steps);
}

TEST(BadOutputFile, AFolderIsError5AndStaysAsItWas) {
  for (const std::string name : {".", "sub", "sub/"}) {
    Folder dir;
    fs::create_directory(dir.path() / "sub");
    dir.write("sub/inside.txt", "keep");
    const SessionResult r = run_in_process(dir, name + "\n20\n30\n-1\n");
    SCOPED_TRACE(name);
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(failure_cause(r.standard_output),
              "cannot create \"" + (dir.path() / name).string() + "\": Is a directory");
    EXPECT_EQ(dir.read("sub/inside.txt"), "keep");
    EXPECT_EQ(dir.read("s1.dat"), sample_thrust_file());
    for (const char* plot : PLOT_FILES) EXPECT_FALSE(dir.exists(plot)) << plot;
  }
}

TEST(BadOutputFile, ANameInAMissingFolderIsError3) {
  Folder dir;
  const SessionResult r = run_in_process(dir, "missing/out.txt\n20\n30\n-1\n");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(failure_cause(r.standard_output), "cannot create \"" +
                                                  (dir.path() / "missing/out.txt").string() +
                                                  "\": No such file or directory");
  EXPECT_FALSE(dir.exists("missing"));
  EXPECT_EQ(dir.read("s1.dat"), sample_thrust_file());

  // The deck, the help and the version printed onto a full device say why they failed.
  for (const char* option : {"--print-deck", "--help", "--version"}) {
    Launch launch = launch_of(ASCENT_EXE, dir.path(), {option});
    launch.input_file = "/dev/null";
    launch.output_file = "/dev/full";
    RunningProgram program(launch);
    EXPECT_EQ(program.wait(), 1) << option;
    EXPECT_EQ(program.standard_error(),
              "ascent: cannot write \"standard output\": No space left on device\n")
        << option;
  }
}

TEST(BadOutputFile, AFileWithoutWritePermissionIsError5AndKeepsItsContent) {
  Folder dir;
  fs::path target = dir.path() / "locked.txt";
  std::string before = "results of an earlier session\r\n";
  std::string why = "Permission denied";
  if (geteuid() == 0) {
    // Root writes through permission bits; sysfs refuses its read-only files
    // even to root (or, mounted read-only, refuses every write: also error 5).
    target = "/sys/kernel/notes";
    if (!fs::exists(target)) GTEST_SKIP() << "running as root and no read-only sysfs file";
    before = read_file(target);
    if (access("/sys/kernel", W_OK) != 0 && errno == EROFS) why = "Read-only file system";
  } else {
    dir.write("locked.txt", before);
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  }
  const SessionResult r = run_in_process(dir, target.string() + "\n20\n30\n-1\n");
  EXPECT_EQ(r.status, 5);
  EXPECT_EQ(failure_cause(r.standard_output), "cannot create \"" + target.string() + "\": " + why);
  EXPECT_EQ(read_file(target), before);
  EXPECT_EQ(dir.read("s1.dat"), sample_thrust_file());
}

TEST(BadOutputFile, AFullDeviceIsReportedAsError101) {
  Folder dir;
  // The output file is flushed before every prompt: the header already fails
  // to reach it at the first turn-time prompt, with or without a run.
  for (const char* answers : {"/dev/full\n20\n30\n-1\n", "/dev/full\n-1\n"}) {
    const ProgramResult r = run_program_with(dir, answers);
    EXPECT_EQ(r.status, 101);
    EXPECT_EQ(failure_cause(r.standard_output),
              "cannot write to \"/dev/full\": No space left on device");
  }
  // The plot files took what the run wrote before the failure, in whole lines.
  for (const char* plot : PLOT_FILES) complete_lines(dir.read(plot));
  EXPECT_EQ(dir.read("s1.dat"), sample_thrust_file());
}

TEST(BadOutputFile, AStandardOutputThatCannotBeWrittenIsReportedOnTheStandardError) {
  Folder dir;
  const ProgramResult full = run_program_with(dir, "\n20\n30\n-1\n", "/dev/full");
  EXPECT_EQ(full.status, 101);
  EXPECT_EQ(full.standard_error.rfind("Runtime error 101 at $", 0), 0u) << full.standard_error;
  EXPECT_EQ(failure_cause(full.standard_error),
            "cannot write to \"standard output\": No space left on device");
  const ProgramResult closed = run_program_with(dir, "\n20\n30\n-1\n", "-");
  EXPECT_EQ(closed.status, 101);
  EXPECT_EQ(failure_cause(closed.standard_error),
            "cannot write to \"standard output\": Bad file descriptor");
  EXPECT_EQ(dir.read("s1.dat"), sample_thrust_file());
}

TEST(RefusedOutputFileName, InputsAndOtherOutputsAreRefusedAndAskedForAgain) {
  struct Case {
    std::string name;
    std::string shown;
    const char* what;
  };
  const Case cases[] = {
      {"s1.dat", "s1.dat", "is the booster thrust file"},
      {"./s1.dat", "./s1.dat", "is the booster thrust file"},
      {"hard-link", "hard-link", "is the booster thrust file"},
      {"soft-link", "soft-link", "is the booster thrust file"},
      {"speed.dat", "speed.dat", "is a plot file"},
      {"height.dat", "height.dat", "is a plot file"},
      {"accel.dat", "accel.dat", "is a plot file"},
      {"sub/../dynpres.dat", "sub/../dynpres.dat", "is a plot file"},
      {"const_n.hpp", "const_n.hpp", "is the constants file"},
      {"future-constants", "future-constants", "is the constants file"},
      {"out\0.txt"s, "out\\x00.txt", "holds a NUL byte"},
  };
  for (const Case& c : cases) {
    Folder dir;
    fs::create_directory(dir.path() / "sub");
    fs::create_hard_link(dir.path() / "s1.dat", dir.path() / "hard-link");
    fs::create_symlink("s1.dat", dir.path() / "soft-link");
    fs::create_symlink("const_n.hpp", dir.path() / "future-constants");  // not there yet
    const SessionResult r = run_in_process(dir, c.name + "\nrun.txt\n-1\n");
    SCOPED_TRACE(c.shown);
    EXPECT_EQ(r.status, 0) << failure_cause(r.standard_output);
    EXPECT_EQ(r.standard_output,
              FILE_PROMPT + refusal(c.shown, c.what) + FILE_PROMPT + TURN_PROMPT);
    // Nothing was opened under the refused name; the next name took the output.
    EXPECT_EQ(dir.read("s1.dat"), sample_thrust_file());
    EXPECT_FALSE(dir.exists("const_n.hpp"));
    for (const char* plot : PLOT_FILES) EXPECT_EQ(dir.read(plot), "") << plot;
    EXPECT_NE(dir.read("run.txt").find(std::string(TURN_PROMPT) + "-1.000\r\n"), std::string::npos);
  }
}

TEST(RefusedOutputFileName, AnExistingConstantsFileIsRefusedAndKept) {
  Folder dir;
  dir.write("const_n.hpp", "the last run's constants\r\n");
  const SessionResult r = run_in_process(dir, "./const_n.hpp\n\n-1\n");
  EXPECT_EQ(r.status, 0);
  // An empty answer after a refusal means the standard output, as at first.
  EXPECT_EQ(
      r.standard_output.rfind(FILE_PROMPT + refusal("./const_n.hpp", "is the constants file") +
                                  FILE_PROMPT + "\r\n   t      a",
                              0),
      0u)
      << r.standard_output;
  EXPECT_EQ(dir.read("const_n.hpp"), "the last run's constants\r\n");
  for (const char* plot : PLOT_FILES) EXPECT_FALSE(dir.exists(plot)) << plot;
}

TEST(RefusedOutputFileName, TheFilesBehindTheStandardInputAndOutputAreRefused) {
  Folder dir;
  const std::string answers = "answers.in\nsession.out\nrun.txt\n-1\n";
  const ProgramResult r = run_program_with(dir, answers);
  EXPECT_EQ(r.status, 0) << r.standard_output;
  // Both streams are whole: the answers were not emptied, the console not restarted.
  EXPECT_EQ(dir.read("answers.in"), answers);
  EXPECT_EQ(r.standard_output, FILE_PROMPT + refusal("answers.in", "is the standard input") +
                                   FILE_PROMPT + refusal("session.out", "is the standard output") +
                                   FILE_PROMPT + TURN_PROMPT);
  EXPECT_TRUE(dir.exists("run.txt"));
  EXPECT_EQ(dir.read("s1.dat"), sample_thrust_file());
}

}  // namespace
}  // namespace ascent::testing
