#include "console/channels.hpp"

#include <utility>

#include "base/number.hpp"
#include "console/terminal.hpp"
#include "text/run_writer.hpp"
#include "base/runtime_error.hpp"

namespace ascent {

namespace {
constexpr std::string_view STANDARD_OUTPUT = "standard output";
constexpr std::string_view STANDARD_INPUT = "standard input";
constexpr std::string_view FILE_NAME_PROMPT = "Enter output filename (return is standard output): ";
constexpr std::string_view OUTPUT_FILE = "the output file";
constexpr std::string_view PLOT_FILE = "a plot file";
constexpr std::string_view NUMBER_ADVICE =
    "Answer with a number such as 20, 17.5 or 1.5e1; a unit must be separated from the number "
    "by a space (\"20 s\").";
}  // namespace

Channels::Channels(std::FILE* standard_input, std::FILE* standard_output,
                   std::filesystem::path work_dir)
    : standard_input_(standard_input),
      standard_output_(standard_output),
      work_dir_(std::move(work_dir)) {}

std::filesystem::path Channels::path_of(std::string_view file_name) const {
  return work_dir_ / std::filesystem::path(file_name);
}

std::string Channels::read_output_filename() {
  std::string name;
  int c = read_byte(standard_input_, STANDARD_INPUT);
  while (c != EOF && c != '\n') {
    if (name.size() < MAX_TEXT_LENGTH) name.push_back(static_cast<char>(c));
    c = read_byte(standard_input_, STANDARD_INPUT);
  }
  // A line typed on Windows ends in CR LF: the CR belongs to the line end.
  if (!name.empty() && name.back() == '\r') name.pop_back();
  return name;
}

void Channels::guard_session_files(const std::filesystem::path& booster_thrust_file) {
  // Before anything is asked or written: another session's files stay as they are.
  if (!work_dir_lock_.held()) work_dir_lock_ = FolderLock::acquire(work_dir_);
  if (guarded_) return;
  guard_.add_standard_streams(standard_input_, standard_output_);
  guard_.add_read_file(
      booster_thrust_file.empty() ? path_of(BOOSTER_THRUST_FILE) : booster_thrust_file,
      "the booster thrust file");
  guard_.claim_replacing(path_of(CONSTANTS_FILE), "the constants file");
  guarded_ = true;
}

void Channels::guard_read_file(const std::filesystem::path& path, std::string what) {
  guard_.add_read_file(path, std::move(what));
}

std::string Channels::refusal(const std::string& name) const {
  const std::string shown = quoted_token(name);
  if (name.find('\0') != std::string::npos) {
    return "Error! " + shown + " holds a NUL byte; choose another output file name.";
  }
  const std::filesystem::path target = path_of(name);
  std::optional<GuardedFile> reached = guard_.reached_by(target, OUTPUT_FILE);
  if (!reached) {
    // The plot files are claimed only once an output file is named, but
    // the output file may not be one of them either.
    for (const std::string_view plot : {SPEED_FILE, HEIGHT_FILE, ACCEL_FILE, DYNPRES_FILE}) {
      FileGuard with_plot;
      with_plot.claim(path_of(plot), std::string(PLOT_FILE));
      if (with_plot.reached_by(target, OUTPUT_FILE)) reached = GuardedFile{std::string(PLOT_FILE), ""};
    }
  }
  if (!reached) return "";
  return "Error! " + shown + " is " + reached->what + "; choose another output file name.";
}

void Channels::open_channels(const std::filesystem::path& booster_thrust_file) {
  guard_session_files(booster_thrust_file);
  // Only the dialogue has a person to answer; a run without asking has none.
  on_terminal_ = is_terminal(standard_output_);
  console_ = TextChannel::borrow(standard_output_, std::string(STANDARD_OUTPUT));
  for (;;) {
    console_.write(FILE_NAME_PROMPT);
    console_.flush();
    output_filename_ = read_output_filename();
    if (output_filename_.empty()) break;  // the standard output, also after a refusal
    const std::string reason = refusal(output_filename_);
    if (reason.empty()) break;
    console_.write_line(reason);
  }
  bind_output(output_filename_, booster_thrust_file);
}

void Channels::bind_output(const std::string& name,
                           const std::filesystem::path& booster_thrust_file) {
  guard_session_files(booster_thrust_file);
  if (!console_.is_open()) {
    console_ = TextChannel::borrow(standard_output_, std::string(STANDARD_OUTPUT));
  }
  output_filename_ = name;
  output_to_file_ = !output_filename_.empty();
  console_symbols_ = is_utf8_terminal(standard_output_) ? UTF8_SYMBOLS : CP437_SYMBOLS;
  symbols_ = output_to_file_ ? LATIN1_SYMBOLS : console_symbols_;
  if (!output_to_file_) return;
  // Every claim before any file is opened: a refusal empties nothing.
  for (const std::string_view plot : {SPEED_FILE, HEIGHT_FILE, ACCEL_FILE, DYNPRES_FILE}) {
    guard_.claim(path_of(plot), std::string(PLOT_FILE));
  }
  guard_.claim(path_of(output_filename_), std::string(OUTPUT_FILE));
  output_ = TextChannel::create(path_of(output_filename_));
  plots_.speed = TextChannel::create(path_of(SPEED_FILE));
  plots_.height = TextChannel::create(path_of(HEIGHT_FILE));
  plots_.accel = TextChannel::create(path_of(ACCEL_FILE));
  plots_.dynpres = TextChannel::create(path_of(DYNPRES_FILE));
}

Real Channels::prompt_real(std::string_view prompt, std::string_view typo_hint) {
  prompt = prompt.substr(0, MAX_TEXT_LENGTH);
  // The user may read the files while the program waits for the answer.
  flush_files();
  for (;;) {
    console_.write(prompt);
    console_.flush();
    const NumberToken token = read_number_token(standard_input_, STANDARD_INPUT);
    if (token.end_of_input) {
      EndOfInput end("the standard input ended at the prompt \"" + std::string(prompt) + "\"");
      end.advise("The answers ended in the middle of a run: give the maximum angle of attack after "
                 "each turn time, and a negative turn time to end the session.");
      throw end;
    }
    skip_rest_of_line(standard_input_, STANDARD_INPUT);
    if (const std::optional<double> value = parse_decimal_real(token.text)) {
      const Real answer = *value;
      echo_answer(prompt, answer);
      return answer;
    }
    // A person at a terminal retypes a typo; a script's answers end the session.
    if (on_terminal_) {
      std::string line = "Error! " + quoted_token(token.text) + " is not a number. ";
      line += NUMBER_ADVICE;
      if (!typo_hint.empty()) {
        line += ' ';
        line += typo_hint;
      }
      console_.write_line(line);
      continue;
    }
    InputError invalid(ErrorCode::invalid_numeric_format,
                         "invalid number " + quoted_token(token.text) + " in the answer to \"" +
                             std::string(prompt) + "\"");
    invalid.advise(std::string(NUMBER_ADVICE));
    throw invalid;
  }
}

void Channels::echo_answer(std::string_view prompt, Real answer) {
  if (output_to_file_) write_answer(output_, prompt, answer);
}

void Channels::flush_files() {
  if (!output_to_file_) return;
  output_.flush();
  plots_.speed.flush();
  plots_.height.flush();
  plots_.accel.flush();
  plots_.dynpres.flush();
}

void Channels::close_channels() {
  output_.close();
  console_.close();
  if (output_to_file_) {
    plots_.speed.close();
    plots_.height.close();
    plots_.accel.close();
    plots_.dynpres.close();
  }
  work_dir_lock_.release();
}

void Channels::abandon() noexcept {
  output_.abandon();
  console_.abandon();
  plots_.speed.abandon();
  plots_.height.abandon();
  plots_.accel.abandon();
  plots_.dynpres.abandon();
  work_dir_lock_.release();
}

}  // namespace ascent
