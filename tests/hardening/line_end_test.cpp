// Line ends of every kind: a booster thrust file and the answers read the
// same whether their lines end with LF, CR LF or CR alone.
#include <gtest/gtest.h>

#include <string>

#include "base/number.hpp"
#include "hardening/hardening_support.hpp"
#include "mission/thrust_history.hpp"

namespace ascent::testing {
namespace {

/// `text` (written with LF) with every LF replaced by `line_end`.
std::string with_line_ends(const std::string& text, const std::string& line_end) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') {
      out += line_end;
    } else {
      out += c;
    }
  }
  return out;
}

/// The output file of one session with `thrust` as s1.dat and `answers`.
std::string output_of(const std::string& thrust, const std::string& answers) {
  TempDir dir;
  dir.write("s1.dat", thrust);
  const SessionResult r = run_in_process(dir, answers);
  EXPECT_EQ(r.status, 0) << failure_cause(r.standard_output);
  return dir.read("out.txt");
}

TEST(LineEnds, ThrustFilesWithCrLfOrCrAloneHoldTheSameRecords) {
  const std::string sample = sample_thrust_file();
  TempDir dir;
  const auto records_of = [&](const std::string& bytes) {
    dir.write("thrust.dat", bytes);
    return ThrustHistory::read(dir.path() / "thrust.dat").records();
  };
  const std::vector<ThrustRecord> expected = records_of(sample);
  ASSERT_GT(expected.size(), 120u);
  for (const std::string line_end : {"\r\n", "\r", "\n\r", "\r\r\n"}) {
    SCOPED_TRACE(quoted_token(line_end));
    const std::vector<ThrustRecord> read = records_of(with_line_ends(sample, line_end));
    ASSERT_EQ(read.size(), expected.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
      EXPECT_EQ(read[i].t.value(), expected[i].t.value()) << i;
      EXPECT_EQ(read[i].thrust.value(), expected[i].thrust.value()) << i;
    }
  }
  // Text after a record's two numbers ends at its CR, not at the next LF.
  const std::vector<ThrustRecord> trailing = records_of(with_line_ends(sample, "  N, stand 2\r"));
  EXPECT_EQ(trailing.size(), expected.size());
}

TEST(LineEnds, AFlightWithCrAloneIsThatOfTheSample) {
  const std::string answers = "out.txt\n20\n18\n-1\n";
  const std::string sample = output_of(sample_thrust_file(), answers);
  ASSERT_NE(sample.find("Upper Stage in Orbit!"), std::string::npos);
  EXPECT_EQ(output_of(with_line_ends(sample_thrust_file(), "\r"), answers), sample);
  // The numbers of the answers may end their lines with CR alone, or CR LF
  // (the file name's line ends at LF).
  EXPECT_EQ(output_of(sample_thrust_file(), "out.txt\n" + with_line_ends("20\n18\n-1\n", "\r")),
            sample);
  EXPECT_EQ(output_of(sample_thrust_file(), with_line_ends(answers, "\r\n")), sample);
}

TEST(LineEnds, ARefusedNameEndedByCrLfAsksAgainForAName) {
  TempDir dir;
  install_sample_thrust_file(dir);
  const SessionResult r = run_in_process(dir, "s1.dat\r\nout.txt\r\n-1\r\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(dir.exists("out.txt")) << r.standard_output;
  EXPECT_EQ(dir.read("s1.dat"), sample_thrust_file());
}

}  // namespace
}  // namespace ascent::testing
