// The file guard in the programs: no writer of ascent or ascent-trim reaches
// a file they read, whatever name or link leads there, and a thrust file
// that is not a regular file is refused before anything waits on it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "hardening/hardening_support.hpp"

namespace ascent::testing {
namespace {

namespace fs = std::filesystem;

struct Folder : TempDir {
  Folder() { install_sample_thrust_file(*this); }
};

TEST(FileGuard, PlotOrConstantsFileLinkedToTheThrustFileIsRefusedBeforeAnythingIsWritten) {
  for (const char* linked : {"speed.dat", "dynpres.dat", "const_n.hpp"}) {
    SCOPED_TRACE(linked);
    Folder dir;
    fs::create_symlink("s1.dat", dir.path() / linked);
    const ProgramResult r = run_program_with(dir, "run.txt\n20\n18\n-1\n");
    EXPECT_EQ(r.status, 5) << r.standard_output;
    EXPECT_NE(failure_cause(r.standard_output).find("the booster thrust file"), std::string::npos)
        << r.standard_output;
    EXPECT_EQ(dir.read("s1.dat"), sample_thrust_file());
  }
}

TEST(FileGuard, AThrustFileThatIsAFifoIsRefusedWithoutWaiting) {
  Folder dir;
  fs::remove(dir.path() / "s1.dat");
  ASSERT_EQ(::mkfifo((dir.path() / "s1.dat").c_str(), 0600), 0);
  // No writer ever opens the FIFO: a reader that waited would hang the test.
  const ProgramResult r = run_program_with(dir, "\n20\n18\n-1\n");
  EXPECT_EQ(r.status, 5);
  EXPECT_NE(failure_cause(r.standard_output).find("is a FIFO, not a regular file"), std::string::npos)
      << r.standard_output;
}

TEST(FileGuard, TrimRunFilesBesideItsOwnThrustFileAreRefused) {
  Folder dir;
  fs::create_directory(dir.path() / "d");
  fs::copy_file(dir.path() / "s1.dat", dir.path() / "d" / "speed.dat");
  const std::string command = "cd '" + dir.path().string() + "' && '" ASCENT_TRIM_EXE
                              "' -f d/speed.dat trim -t 20 --run-files d > out.txt 2> err.txt";
  const int status = std::system(command.c_str());
  EXPECT_NE(status, 0);
  EXPECT_EQ(dir.read("d/speed.dat"), sample_thrust_file());
  EXPECT_NE(dir.read("err.txt").find("the booster thrust file"), std::string::npos)
      << dir.read("err.txt");
}

TEST(FileGuard, TrimHistoryOntoItsThrustFileIsRefused) {
  Folder dir;
  const std::string command = "cd '" + dir.path().string() + "' && '" ASCENT_TRIM_EXE
                              "' history -t 20 -o ./s1.dat > out.txt 2> err.txt";
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_EQ(dir.read("s1.dat"), sample_thrust_file());
  EXPECT_NE(dir.read("err.txt").find("the booster thrust file"), std::string::npos)
      << dir.read("err.txt");
}

}  // namespace
}  // namespace ascent::testing
