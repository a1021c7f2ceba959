// Replays each golden session of this folder against the built ascent: the
// answers piped in, in a fresh working folder with the session's booster
// thrust file as s1.dat. The standard output, the exit status, the files left
// in the folder and each file's bytes must be those that the reference build
// recorded (tools/record_golden.sh). A failure report names places in the
// code, which move when the code does: from its "Runtime error N" on, only
// that number is compared.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path& golden_dir() {
  static const fs::path dir{ASCENT_GOLDEN_DIR};
  return dir;
}

std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// The sessions: the folders here that hold answers.
std::vector<std::string> session_names() {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(golden_dir())) {
    if (fs::exists(entry.path() / "input")) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

/// A fresh folder, removed with its contents.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "ascent-golden-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error("cannot create a scratch folder");
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  [[nodiscard]] const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

/// Runs the program in `work` with `input` as its standard input and
/// `output` as its standard output; returns the exit status (128 + the
/// signal's number when a signal ended it).
int run_ascent(const fs::path& work, const fs::path& input, const fs::path& output) {
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("cannot start ascent");
  if (child == 0) {
    const int in = open(input.c_str(), O_RDONLY);
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || dup2(in, STDIN_FILENO) < 0 || dup2(out, STDOUT_FILENO) < 0 ||
        chdir(work.c_str()) != 0) {
      _exit(127);
    }
    close(in);
    close(out);
    execl(ASCENT_EXE, ASCENT_EXE, static_cast<char*>(nullptr));
    _exit(127);
  }
  int raw = 0;
  if (waitpid(child, &raw, 0) != child) throw std::runtime_error("lost the ascent process");
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

/// The standard output as compared: a failure report, which may follow a
/// prompt on its line, is cut after its "Runtime error N".
std::string without_failure_place(const std::string& output) {
  constexpr std::string_view report = "Runtime error ";
  const std::size_t at = output.find(report);
  if (at == std::string::npos) return output;
  return output.substr(0, output.find_first_not_of("0123456789", at + report.size()));
}

/// Every file and folder under `root`, as paths relative to it (folders end
/// with '/'); none when `root` does not exist.
std::set<std::string> listing(const fs::path& root) {
  std::set<std::string> names;
  if (!fs::exists(root)) return names;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = entry.path().lexically_relative(root).generic_string();
    names.insert(entry.is_directory() ? name + "/" : name);
  }
  return names;
}

/// A line with control and non-ASCII bytes written as escapes.
std::string shown(std::string_view line) {
  std::string text = "\"";
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      text += "\\r";
    } else if (c == '\n') {
      text += "\\n";
    } else if (byte < 0x20 || byte >= 0x7f || c == '\\' || c == '"') {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      text += escape;
    } else {
      text += c;
    }
  }
  return text + "\"";
}

std::vector<std::string_view> lines_of(std::string_view bytes) {
  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find('\n'), bytes.size() - 1);
    lines.push_back(bytes.substr(0, end + 1));
    bytes.remove_prefix(end + 1);
  }
  return lines;
}

/// Passes when the bytes are equal; otherwise names the first line that differs.
::testing::AssertionResult same_bytes(const std::string& what, const std::string& expected,
                                      const std::string& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  const std::vector<std::string_view> want = lines_of(expected);
  const std::vector<std::string_view> got = lines_of(actual);
  std::size_t line = 0;
  while (line < want.size() && line < got.size() && want[line] == got[line]) ++line;
  const auto version = [line](const std::vector<std::string_view>& lines) {
    return line < lines.size() ? shown(lines[line]) : std::string("(no such line: the bytes end)");
  };
  return ::testing::AssertionFailure()
         << what << " differs first at line " << line + 1 << "\n  expected: " << version(want)
         << "\n  actual:   " << version(got);
}

class GoldenSession : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenSession, ReplaysByteForByte) {
  const std::string& session = GetParam();
  const fs::path golden = golden_dir() / session;
  const ScratchFolder scratch;
  const fs::path work = scratch.path() / "work";
  fs::create_directory(work);
  std::string thrust;
  std::istringstream(read_bytes(golden / "thrust")) >> thrust;
  if (thrust != "none") fs::copy_file(golden_dir() / "thrust" / thrust, work / "s1.dat");

  const int status = run_ascent(work, golden / "input", scratch.path() / "stdout");

  EXPECT_TRUE(same_bytes("session " + session + ", standard output",
                         without_failure_place(read_bytes(golden / "stdout")),
                         without_failure_place(read_bytes(scratch.path() / "stdout"))));
  EXPECT_EQ(std::stoi(read_bytes(golden / "status")), status)
      << "session " << session << ", exit status";
  const std::set<std::string> expected_files = listing(golden / "files");
  const std::set<std::string> left_files = listing(work);
  EXPECT_EQ(expected_files, left_files)
      << "session " << session << ", files left in the working folder";
  for (const std::string& name : expected_files) {
    if (name.ends_with('/') || !left_files.contains(name)) continue;
    EXPECT_TRUE(same_bytes("session " + session + ", file " + name,
                           read_bytes(golden / "files" / name), read_bytes(work / name)));
  }
}

std::string test_name(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  std::replace_if(
      name.begin(), name.end(),
      [](char c) { return std::isalnum(static_cast<unsigned char>(c)) == 0; }, '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(Recorded, GoldenSession, ::testing::ValuesIn(session_names()), test_name);

}  // namespace
