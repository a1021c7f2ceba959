// The console as a person meets it: the special characters on a UTF-8
// terminal, a screen that shows how each run ended and asks again after a
// typo, and an output file that can be read while the program waits.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include "support/session.hpp"

namespace ascent::testing {
namespace {

/// Runs `ascent` in `dir` on a pseudo-terminal with the locale `lang`,
/// typing `answers`; returns everything the terminal showed.
std::string on_a_terminal(const TempDir& dir, const char* lang, const std::string& answers) {
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    unsetenv("LC_ALL");
    unsetenv("LC_CTYPE");
    setenv("LANG", lang, 1);
    execl(ASCENT_EXE, "ascent", static_cast<char*>(nullptr));
    _exit(127);
  }
  EXPECT_GT(child, 0);
  EXPECT_EQ(write(terminal, answers.data(), answers.size()), static_cast<ssize_t>(answers.size()));
  std::string shown;
  char buffer[4096];
  for (;;) {
    pollfd ready{terminal, POLLIN, 0};
    if (poll(&ready, 1, 20000) <= 0) break;  // 20 s without output: give up
    const ssize_t n = read(terminal, buffer, sizeof buffer);
    if (n <= 0) break;  // the program ended and closed the terminal
    shown.append(buffer, static_cast<std::size_t>(n));
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(terminal);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shown;
  return shown;
}

TEST(Terminal, SpecialCharactersInUtf8OnAUtf8TerminalAndCodePage437Elsewhere) {
  TempDir dir;
  install_sample_thrust_file(dir);
  const std::string utf8 = on_a_terminal(dir, "C.UTF-8", "\n-1\n");
  EXPECT_NE(utf8.find("  sec    m/s\xC2\xB2  m/s"), std::string::npos) << utf8;
  const std::string plain = on_a_terminal(dir, "C", "\n-1\n");
  EXPECT_NE(plain.find("  sec    m/s\xFD  m/s"), std::string::npos) << plain;
  // Not a terminal: the bytes saved transcripts have, whatever the locale.
  EXPECT_NE(run_program(dir, "\n-1\n").standard_output.find("m/s\xFD"), std::string::npos);
}

TEST(Terminal, ShowsEachRunsOrbitAndAsksAgainAfterATypo) {
  TempDir dir;
  install_sample_thrust_file(dir);
  const std::string shown =
      on_a_terminal(dir, "C.UTF-8", "run.txt\n20s\n20\nabout 18\n18\n-1\n");
  EXPECT_NE(shown.find("Error! \"20s\" is not a number. Answer with a number"), std::string::npos)
      << shown;
  EXPECT_NE(shown.find("Error! \"about\" is not a number."), std::string::npos) << shown;
  // A typo at the turn time says how to end the session; at the angle it does not.
  EXPECT_NE(shown.find("(\"20 s\"). A negative turn time (-1) ends the session."),
            std::string::npos)
      << shown;
  EXPECT_EQ(shown.find("A negative turn time", shown.find("\"about\"")), std::string::npos)
      << shown;
  const auto orbit = shown.find("Perigee = 142.8 km, Apogee = 260.4 km, Average Altitude = "
                                "201.6\xC2\xB1" "58.8 km");
  ASSERT_NE(orbit, std::string::npos) << shown;
  EXPECT_NE(shown.find("Recommended maxa = 17.8576\xC2\xB0", orbit), std::string::npos) << shown;
  // The file holds what a script's session writes: only the answers taken.
  const std::string on_screen_run = dir.read("run.txt");
  ASSERT_EQ(run_program(dir, "run.txt\n20\n18\n-1\n").status, 0);
  EXPECT_EQ(on_screen_run, dir.read("run.txt"));
  // Not a terminal: a typo still ends the session with error 106.
  EXPECT_EQ(run_program(dir, "\n20s\n").status, 106);
}

TEST(OutputFile, HoldsTheWholeRunWhileTheProgramWaitsForTheNextAnswer) {
  TempDir dir;
  install_sample_thrust_file(dir);
  int answers[2];
  ASSERT_EQ(pipe(answers), 0);
  const pid_t child = fork();
  if (child == 0) {
    dup2(answers[0], 0);
    close(answers[1]);
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    if (freopen("/dev/null", "w", stdout) == nullptr) _exit(126);
    execl(ASCENT_EXE, "ascent", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(answers[0]);
  const std::string run = "run.txt\n20\n18\n";
  ASSERT_EQ(write(answers[1], run.data(), run.size()), static_cast<ssize_t>(run.size()));
  // The program now waits at the turn-time prompt; the run must be readable.
  std::string output;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (output.find("Recommended maxa") == std::string::npos &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    output = dir.read("run.txt");
  }
  EXPECT_NE(output.find("Recommended maxa"), std::string::npos) << output.size() << " bytes";
  const std::string speed = dir.read("speed.dat");
  EXPECT_GT(speed.size(), 1000u);
  EXPECT_TRUE(speed.ends_with("\r\n"));
  ASSERT_EQ(write(answers[1], "-1\n", 3), 3);
  close(answers[1]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace ascent::testing
