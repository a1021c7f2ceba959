// Booster thrust files that are missing, unreadable, malformed or that cannot
// be flown, and files written differently that fly the same. The file is
// never changed, and what was written before a failure stays written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "hardening/hardening_support.hpp"

namespace ascent::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string ANSWERS = "out.txt\n20\n30\n-1\n";

/// The sample file with line `n` (counted from 1) replaced by `text`
/// ("" drops it), or with its lines from `n` on dropped when `text` is "END".
std::string sample_with(int n, const std::string& text) {
  const std::string all = sample_thrust_file();
  std::size_t start = 0;
  for (int i = 1; i < n; ++i) start = all.find('\n', start) + 1;
  if (text == "END") return all.substr(0, start);
  const std::size_t end = all.find('\n', start) + 1;
  return all.substr(0, start) + text + (text.empty() ? "" : "\n") + all.substr(end);
}

/// Every line of the sample file rewritten by `edit`.
template <typename Edit>
std::string sample_lines(Edit edit) {
  const std::string all = sample_thrust_file();
  std::string out;
  for (std::size_t at = 0; at < all.size();) {
    const std::size_t end = all.find('\n', at);
    out += edit(all.substr(at, end - at));
    at = end + 1;
  }
  return out;
}

struct Flight {
  CountedSession session;
  std::string output;
};

/// Flies ANSWERS with `file` as s1.dat, checking it is left as it was and
/// that the output and plot files hold every step.
Flight fly_with(const std::string& file) {
  TempDir dir;
  dir.write("s1.dat", file);
  Flight f{run_counting_steps(dir, ANSWERS), dir.read("out.txt")};
  EXPECT_EQ(dir.read("s1.dat"), file) << "the booster thrust file changed";
  EXPECT_EQ(step_rows(f.output), f.session.steps);
  for (const char* plot : PLOT_FILES) {
    EXPECT_EQ(complete_lines(dir.read(plot)), f.session.steps) << plot;
  }
  return f;
}

TEST(BadThrustFile, MissingOrAFolderEndsTheProgramBeforeThePadRow) {
  for (const bool folder : {false, true}) {
    TempDir dir;
    if (folder) fs::create_directory(dir.path() / "s1.dat");
    const SessionResult r = run_in_process(dir, ANSWERS);
    const std::string path = (dir.path() / "s1.dat").string();
    if (folder) {
      EXPECT_EQ(r.status, 5);
      EXPECT_EQ(failure_cause(r.standard_output),
                "the booster thrust file \"" + path + "\" is a folder, not a regular file");
      EXPECT_TRUE(fs::is_directory(dir.path() / "s1.dat"));
    } else {
      EXPECT_EQ(r.status, 2);
      EXPECT_EQ(failure_cause(r.standard_output),
                "cannot open the booster thrust file \"" + path + "\": No such file or directory");
      EXPECT_FALSE(dir.exists("s1.dat"));
    }
    EXPECT_EQ(step_rows(dir.read("out.txt")), 0u);
    EXPECT_EQ(dir.read("out.txt").find("2707388.0"), std::string::npos) << "no pad row";
  }
}

TEST(BadThrustFile, FilesThatCannotBeReadOrFlownEndTheProgramNamingTheRecord) {
  struct Case {
    const char* what;
    std::string file;
    int status;
    std::string cause;  // after "the booster thrust file "<path>""; '#' stands for a number
  };
  const Case cases[] = {
      {"empty", "", 100, " holds no record: records are needed up to booster separation"},
      {"binary garbage", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0"s, 106,
       ", record 1: the time \"\\x89PNG\" is not a valid number"},
      {"two decimal points", sample_with(5, "  5.0   1.5.3"), 106,
       ", record 5: the thrust \"1.5.3\" is not a valid number"},
      {"overflow", sample_with(5, "  1e400   18357500.0"), 106,
       ", record 5: the time \"1e400\" is not a valid number"},
      {"time going back", sample_with(5, "  3.5   18357500.0"), 201,
       ", record 5: the time 3.50 s does not come after 4.00 s of record 4"},
      {"records 12 s apart", sample_with(41, " 52.0   12185600.0"), 201,
       ", record 41: the time 52.00 s lies 12.00 s after record 40; records more than 10 s apart "
       "cannot be flown"},
      {"first record after 10 s", "11 20000000\n12 20000000\n", 201,
       ", record 1: the time 11.00 s lies 11.00 s after 0 s; records more than 10 s apart cannot "
       "be flown"},
      {"negative thrust", sample_with(5, "  5.0   -18357500.0"), 201,
       ", record 5: the thrust -18357500 N is negative"},
      {"burns more than the vehicle holds", sample_with(5, "  5.0   1e10"), 201,
       ", record 5: by 5.00 s the vehicle would burn # kg of propellant, more than the "
       "2228306 kg it holds"},
      {"ends early", sample_with(61, "END"), 100,
       " ends after record 60 (t = 60.00 s): records are needed up to booster separation"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Flight f = fly_with(c.file);
    EXPECT_EQ(f.session.result.status, c.status);
    const std::string cause = failure_cause(f.session.result.standard_output);
    const auto name_end = cause.find("s1.dat\"");
    ASSERT_NE(name_end, std::string::npos) << cause;
    EXPECT_EQ(cause.substr(0, 25), "the booster thrust file \"");
    const std::string told = cause.substr(name_end + 7);
    const auto number = c.cause.find('#');
    if (number == std::string::npos) {
      EXPECT_EQ(told, c.cause);
    } else {
      // The amount burned is more than the vehicle holds, and said so.
      ASSERT_EQ(told.substr(0, number), c.cause.substr(0, number));
      std::size_t digits = 0;
      EXPECT_GT(std::stod(told.substr(number), &digits), 2228306.0);
      EXPECT_EQ(told.substr(number + digits), c.cause.substr(number + 1));
    }
    EXPECT_EQ(f.output.rfind("\r\n   t      a     vi", 0), 0u) << "the header is kept";
  }
}

TEST(BadThrustFile, RecordsMoreThanOneSecondApartAreReportedAndFlown) {
  // 40 is missing: the record at 41 lies 2 s after 39.
  const Flight f = fly_with(sample_with(40, ""));
  ASSERT_EQ(f.session.result.status, 0) << failure_cause(f.session.result.standard_output);
  const std::string warning = "Error! Booster time increments must be at most 1 second\r\n";
  const auto at = f.output.find(warning);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(f.output.find(warning, at + 1), std::string::npos);
  EXPECT_NE(f.output.find("Upper Stage in Orbit!", at), std::string::npos);
}

TEST(BadThrustFile, WindowsLineEndsAndTrailingTextFlyAsTheSample) {
  const Flight sample = fly_with(sample_thrust_file());
  ASSERT_EQ(sample.session.result.status, 0);
  const Flight windows =
      fly_with(sample_lines([](const std::string& line) { return line + "\r\n"; }));
  const Flight trailing = fly_with(
      sample_lines([](const std::string& line) { return line + "  N, test stand 2\tok\n"; }));
  EXPECT_EQ(windows.session.result.status, 0);
  EXPECT_EQ(trailing.session.result.status, 0);
  EXPECT_EQ(windows.output, sample.output);
  EXPECT_EQ(trailing.output, sample.output);
  // Text after the last record the flight needs is never read.
  const Flight tail = fly_with(sample_thrust_file() + "end of data\n\x01\x02\xff");
  EXPECT_EQ(tail.output, sample.output);
}

}  // namespace
}  // namespace ascent::testing
