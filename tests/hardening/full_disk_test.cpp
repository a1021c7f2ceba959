// A disk that fills: writes fail part way through a line when a file-size
// limit is reached (RLIMIT_FSIZE, as a full disk does), or at once on
// /dev/full. The failure is reported as error 101, and every file written
// ends on a whole line; the constants file is the old one or the new one.
#include <gtest/gtest.h>

#include <string>

#include "hardening/hardening_support.hpp"
#include "hardening/running_program.hpp"

namespace ascent::testing {
namespace {

struct Folder : TempDir {
  Folder() { install_sample_thrust_file(*this); }
};

/// ascent in `dir` with `answers`, every file it writes limited to `limit`
/// bytes; its standard output is a pipe, which no limit reaches.
Launch limited(const TempDir& dir, const std::string& answers, long long limit) {
  dir.write("answers.in", answers);
  Launch launch = launch_of(ASCENT_EXE, dir.path());
  launch.input_file = dir.path() / "answers.in";
  launch.file_size_limit = limit;
  return launch;
}

TEST(FullDisk, AWriteThatStopsInALineLeavesEveryFileOnItsLastWholeLine) {
  // The limits fall in the output file's header, in its rows, and in the
  // plot files, each part way through a line.
  for (const long long limit : {100LL, 3001LL, 20011LL, 150001LL}) {
    SCOPED_TRACE(limit);
    Folder dir;
    RunningProgram program(limited(dir, "run.txt\n20\n18\n25\n19\n-1\n", limit));
    EXPECT_EQ(program.wait(), 101);
    const std::string cause = failure_cause(program.standard_output());
    EXPECT_TRUE(cause.starts_with("cannot write to \"./")) << cause;
    EXPECT_TRUE(cause.ends_with("\": File too large")) << cause;
    for (const std::string name :
         {"run.txt", "speed.dat", "height.dat", "accel.dat", "dynpres.dat"}) {
      const std::string bytes = dir.read(name);
      EXPECT_LE(bytes.size(), static_cast<std::size_t>(limit)) << name;
      complete_lines(bytes);
      // The file that met the limit lost only the line it was cut in.
      if (cause.find("/" + name + "\"") != std::string::npos) {
        EXPECT_GT(bytes.size() + 100, static_cast<std::size_t>(limit)) << name;
      }
    }
    EXPECT_EQ(temporary_files(dir), "");
    EXPECT_EQ(dir.read("s1.dat"), sample_thrust_file());
  }
}

TEST(FullDisk, AConstantsFileThatDoesNotFitLeavesTheOldOneAndNoTemporaryFile) {
  Folder dir;
  dir.write("const_n.hpp", "the last run's constants\r\n");
  // The table goes to the standard output: only the constants file meets the limit.
  RunningProgram program(limited(dir, "\n20\n18\n-1\n", 300));
  EXPECT_EQ(program.wait(), 101);
  EXPECT_EQ(failure_cause(program.standard_output()),
            "cannot write to \"./const_n.hpp\": File too large");
  EXPECT_EQ(dir.read("const_n.hpp"), "the last run's constants\r\n");
  EXPECT_EQ(temporary_files(dir), "");
  // The summary up to the constants file is on the standard output.
  EXPECT_NE(program.standard_output().find("S3_Mt   ="), std::string::npos);
}

TEST(FullDisk, AFullDeviceBehindTheOutputFileLeavesThePlotFilesWhole) {
  Folder dir;
  RunningProgram program(limited(dir, "/dev/full\n20\n18\n-1\n", -1));
  EXPECT_EQ(program.wait(), 101);
  EXPECT_EQ(failure_cause(program.standard_output()),
            "cannot write to \"/dev/full\": No space left on device");
  // The output file is flushed before the first prompt, so the failure comes
  // before any run: the plot files are there, empty and so whole.
  for (const char* plot : PLOT_FILES) {
    EXPECT_TRUE(dir.exists(plot)) << plot;
    EXPECT_EQ(complete_lines(dir.read(plot)), 0u) << plot;
  }
  EXPECT_EQ(temporary_files(dir), "");
}

}  // namespace
}  // namespace ascent::testing
