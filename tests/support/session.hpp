// Running the simulator in tests: in-process on memory streams, or as the
// built program with piped standard input, each in a fresh working folder.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "console/session.hpp"

namespace ascent::testing {

/// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  [[nodiscard]] const std::filesystem::path& path() const { return path_; }
  /// The bytes of a file in the folder ("" when it does not exist).
  [[nodiscard]] std::string read(std::string_view name) const;
  void write(std::string_view name, std::string_view bytes) const;
  [[nodiscard]] bool exists(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

/// The bytes of a file anywhere.
std::string read_file(const std::filesystem::path& path);

/// The text of the sample booster thrust file.
std::string sample_thrust_file();

/// Copies the sample booster thrust file into `dir` as s1.dat.
void install_sample_thrust_file(const TempDir& dir);

/// What one session printed and how it ended.
struct SessionResult {
  std::string standard_output;
  int status = -1;
  std::string standard_error;  ///< of the built program only
};

/// A session in this process that reads scripted answers and writes its
/// standard output to memory, for tests that look at its state afterwards.
class ScriptedSession {
 public:
  ScriptedSession(const TempDir& dir, std::string_view answers);
  ~ScriptedSession();
  ScriptedSession(const ScriptedSession&) = delete;
  ScriptedSession& operator=(const ScriptedSession&) = delete;

  /// Runs the dialogue to its end; returns the exit status.
  int run();
  /// What went to the standard output so far.
  [[nodiscard]] std::string standard_output();

  Session& session() { return *session_; }

 private:
  std::string answers_;
  std::FILE* in_ = nullptr;
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* out_ = nullptr;
  std::unique_ptr<Session> session_;
};

/// Runs a whole session in this process: the dialogue with `answers` on the
/// standard input, files in `dir`.
SessionResult run_in_process(const TempDir& dir, std::string_view answers);

/// Runs the built `ascent` program in `dir` with `answers` piped in and the
/// command-line `arguments` (shell words).
SessionResult run_program(const TempDir& dir, std::string_view answers,
                          const std::string& arguments = "");

/// CR LF line ends for a text written with '\n'.
std::string crlf(std::string_view text);

}  // namespace ascent::testing
