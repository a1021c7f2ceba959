// Soak: one process flies 200 runs (1000 when asked) in one dialogue, turn
// times and angles varied, with an output file. The heap stays flat from run to run, the
// output holds every run and every step, and the constants file holds the
// last run's values. Its own program, so that the heap it measures is the
// simulation's alone.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "hardening/hardening_support.hpp"
#include "console/session.hpp"

#if defined(__SANITIZE_ADDRESS__)
// From the AddressSanitizer runtime (its header comes with clang only): the
// bytes the program has allocated and not yet freed.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace ascent::testing {
namespace {


/// [bytes] heap in use by the whole process.
std::size_t heap_in_use() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

/// Notes the heap at the start of every run (its pitch-over) and counts steps.
class HeapProbe : public FlightObserver {
 public:
  void on_step(const FlightState&, const StepQuantities&) override { ++steps; }
  void on_event(const FlightEvent& event, const FlightState&) override {
    if (event.kind == FlightEventKind::pitch_over) heap_at_run.push_back(heap_in_use());
  }
  std::vector<std::size_t> heap_at_run;
  std::size_t steps = 0;
};

std::size_t occurrences(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

/// One dialogue of `runs` runs, checked as the file's head says.
void soak(int runs) {
  TempDir dir;
  install_sample_thrust_file(dir);
  std::string answers = "soak.txt\n";
  for (int run = 0; run < runs - 1; ++run) {
    // Turn times from 8 to 26 s, angles from 12 to 51 degrees, in changing pairs.
    answers +=
        std::to_string(8.0 + 1.5 * (run % 13)) + "\n" + std::to_string(12 + run * 7 % 40) + "\n";
  }
  const std::string last_run = "20\n30\n";
  answers += last_run + "-1\n";

  std::FILE* in = fmemopen(answers.data(), answers.size(), "r");
  std::FILE* console = std::fopen((dir.path() / "console.txt").c_str(), "w+b");
  ASSERT_NE(in, nullptr);
  ASSERT_NE(console, nullptr);
  HeapProbe probe;
  // The probe's own notes must not grow the heap.
  probe.heap_at_run.reserve(static_cast<std::size_t>(runs));
  int status = -1;
  {
    Session session(in, console, dir.path());
    session.observer = &probe;
    status = run_session(session, console);
  }
  std::fclose(console);
  std::fclose(in);
  ASSERT_EQ(status, 0) << failure_cause(dir.read("console.txt"));

  // Memory: the first runs give the streams their buffers and take each
  // code path once (a first unwinding, say, keeps a few bytes). Then the heap
  // in use does not grow at all; a leak of anything a run writes (one row
  // is 79 bytes, a run some 400 rows) would show at once.
  const auto total = static_cast<std::size_t>(runs);
  ASSERT_EQ(probe.heap_at_run.size(), total);
  const std::size_t warm = probe.heap_at_run[total / 2 - 1];
  std::printf("heap in use at run 1: %zu bytes, run %d: %zu bytes, run %d: %zu bytes\n",
              probe.heap_at_run.front(), runs / 2, warm, runs, probe.heap_at_run.back());
  EXPECT_LT(static_cast<long long>(warm) - static_cast<long long>(probe.heap_at_run.front()), 4096)
      << "warming up took more than a few bytes";
  for (std::size_t run = total / 2; run < probe.heap_at_run.size(); ++run) {
    EXPECT_LE(probe.heap_at_run[run], warm) << "run " << run + 1;
  }

  // The output: every answer echoed, every run ended, every step written.
  const std::string out = dir.read("soak.txt");
  EXPECT_EQ(occurrences(out, TURN_PROMPT), total + 1);
  EXPECT_EQ(occurrences(out, ANGLE_PROMPT), total);
  EXPECT_EQ(occurrences(out, "Upper Stage in Orbit!") +
                occurrences(out, "Error! Upper stage cannot reach orbit speed: "),
            total);
  EXPECT_TRUE(out.ends_with(std::string(TURN_PROMPT) + "-1.000\r\n"));
  EXPECT_FALSE(shows_non_finite(out));
  expect_nothing_lost(dir, "soak.txt", probe.steps);

  // The constants file is the one a session of the last run alone writes.
  TempDir alone;
  install_sample_thrust_file(alone);
  ASSERT_EQ(run_in_process(alone, "alone.txt\n" + last_run + "-1\n").status, 0);
  EXPECT_EQ(dir.read("const_n.hpp"), alone.read("const_n.hpp"));
  EXPECT_NE(dir.read("const_n.hpp").find("  SC_M     =  "), std::string::npos);
}

TEST(Soak, TwoHundredRunsInOneDialogue) { soak(200); }

// A thousand runs take minutes under the sanitizers: run when asked, with
// ASCENT_SOAK_THOUSAND=1 in the environment.
TEST(Soak, AThousandRunsInOneDialogueWhenAsked) {
  if (std::getenv("ASCENT_SOAK_THOUSAND") == nullptr) {
    GTEST_SKIP() << "set ASCENT_SOAK_THOUSAND=1 to fly it";
  }
  soak(1000);
}

}  // namespace
}  // namespace ascent::testing
