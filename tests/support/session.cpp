#include "support/session.hpp"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>


namespace ascent::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ascent-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string TempDir::read(std::string_view name) const { return read_file(path_ / name); }

void TempDir::write(std::string_view name, std::string_view bytes) const {
  std::ofstream(path_ / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool TempDir::exists(std::string_view name) const { return std::filesystem::exists(path_ / name); }

std::string sample_thrust_file() { return read_file(std::filesystem::path(ASCENT_DATA_DIR) / "s1.dat"); }

void install_sample_thrust_file(const TempDir& dir) {
  std::filesystem::copy_file(std::filesystem::path(ASCENT_DATA_DIR) / "s1.dat", dir.path() / "s1.dat");
}

ScriptedSession::ScriptedSession(const TempDir& dir, std::string_view answers)
    : answers_(answers) {
  in_ = fmemopen(answers_.data(), answers_.size(), "r");
  out_ = open_memstream(&buffer_, &size_);
  session_ = std::make_unique<Session>(in_, out_, dir.path());
}

ScriptedSession::~ScriptedSession() {
  session_.reset();
  std::fclose(out_);
  std::fclose(in_);
  std::free(buffer_);
}

int ScriptedSession::run() { return run_session(*session_, out_); }

std::string ScriptedSession::standard_output() {
  std::fflush(out_);
  return {buffer_, size_};
}

SessionResult run_in_process(const TempDir& dir, std::string_view answers) {
  ScriptedSession session(dir, answers);
  SessionResult result;
  result.status = session.run();
  result.standard_output = session.standard_output();
  return result;
}

SessionResult run_program(const TempDir& dir, std::string_view answers,
                          const std::string& arguments) {
  dir.write("answers.in", answers);
  const std::string command = "cd '" + dir.path().string() + "' && '" ASCENT_EXE "' " +
                              arguments + " < answers.in > session.out 2> session.err";
  const int raw = std::system(command.c_str());
  SessionResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.standard_output = dir.read("session.out");
  result.standard_error = dir.read("session.err");
  for (const char* name : {"answers.in", "session.out", "session.err"}) {
    std::filesystem::remove(dir.path() / name);
  }
  return result;
}

std::string crlf(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace ascent::testing
