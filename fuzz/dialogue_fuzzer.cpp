// Fuzz target: the whole dialogue with arbitrary standard input, in a scratch
// working folder holding the sample booster thrust file. An input may carry
// its own thrust file after a line "#s1.dat": the bytes before that line are
// the standard input, the bytes after it the file.
//
// Bounds, so that every input finishes fast: at most MAX_INPUT bytes, at most
// MAX_RUNS runs (a further run is stopped at its pitch-over), and no '/' in
// the input, so every file the dialogue names lies in the scratch folder.
//
// Invariants: the session ends with 0 or one of the program's error numbers;
// the thrust file is left as it was; no written file holds "nan" or "inf";
// no half-written constants file is left behind.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz_support.hpp"
#include "console/session.hpp"

namespace {

using ascent::fuzz::check;

constexpr std::size_t MAX_INPUT = 8192;
constexpr int MAX_RUNS = 2;
constexpr std::string_view THRUST_FILE_MARK = "#s1.dat\n";

/// Thrown by the observer to stop the dialogue after MAX_RUNS runs.
struct RunLimitReached {};

class RunCounter : public ascent::FlightObserver {
 public:
  void on_step(const ascent::FlightState&, const ascent::StepQuantities&) override {}
  void on_event(const ascent::FlightEvent& event, const ascent::FlightState&) override {
    if (event.kind == ascent::FlightEventKind::pitch_over && ++runs_ > MAX_RUNS) {
      throw RunLimitReached{};
    }
  }

 private:
  int runs_ = 0;
};

bool is_error_number(int status) {
  for (const int known : {0, 2, 3, 4, 5, 100, 101, 106, 201}) {
    if (status == known) return true;
  }
  return false;
}

bool holds_non_finite_text(const std::string& bytes) {
  return bytes.find("nan") != std::string::npos || bytes.find("inf") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ascent::fuzz::ScratchFolder folder;
  static const std::string sample_thrust_file = ascent::fuzz::read_file(ASCENT_SAMPLE_THRUST_FILE);

  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (size > MAX_INPUT || input.find('/') != std::string_view::npos) return 0;
  const std::size_t mark = input.find(THRUST_FILE_MARK);
  std::string answers(input.substr(0, mark));
  const std::string thrust_file = mark == std::string_view::npos
                                      ? sample_thrust_file
                                      : std::string(input.substr(mark + THRUST_FILE_MARK.size()));

  folder.clear();
  folder.write("s1.dat", thrust_file);

  std::FILE* in = fmemopen(answers.data(), answers.size(), "r");
  char* printed = nullptr;
  std::size_t printed_size = 0;
  std::FILE* out = open_memstream(&printed, &printed_size);
  check(in != nullptr && out != nullptr);
  int status = -1;
  {
    RunCounter counter;
    ascent::Session session(in, out, folder.path());
    session.observer = &counter;
    try {
      status = ascent::run_session(session, out);
    } catch (const RunLimitReached&) {
      status = 0;
    }
  }
  std::fclose(out);
  std::fclose(in);
  std::free(printed);

  check(is_error_number(status));
  const std::string leftover = ".const_n.hpp." + std::to_string(getpid()) + ".part";
  check(folder.read("s1.dat") == thrust_file);
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    const std::string name = entry.path().filename().string();
    check(name != leftover);
    if (name == "s1.dat" || !entry.is_regular_file()) continue;
    check(!holds_non_finite_text(folder.read(name)));
  }
  return 0;
}
