#include "run/channels.hpp"

#include <utility>

#include "run/file_identity.hpp"
#include "run/number.hpp"
#include "run/runtime_error.hpp"

namespace ascent {

namespace {
constexpr std::string_view STANDARD_OUTPUT = "standard output";
constexpr std::string_view STANDARD_INPUT = "standard input";
constexpr std::string_view FILE_NAME_PROMPT = "Enter output filename (return is standard output): ";
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
  int c = std::getc(standard_input_);
  while (c != EOF && c != '\n') {
    if (name.size() < MAX_TEXT_LENGTH) name.push_back(static_cast<char>(c));
    c = std::getc(standard_input_);
  }
  if (c == EOF && std::ferror(standard_input_)) {
    throw RuntimeError(ErrorCode::read_error, "cannot read the standard input");
  }
  // A line typed on Windows ends in CR LF: the CR belongs to the line end.
  if (!name.empty() && name.back() == '\r') name.pop_back();
  return name;
}

std::string Channels::refusal(const std::string& name,
                              const std::filesystem::path& booster_thrust_file) const {
  const std::string shown = quoted_token(name);
  if (name.find('\0') != std::string::npos) {
    return "Error! " + shown + " holds a NUL byte; choose another output file name.";
  }
  const std::filesystem::path target = path_of(name);
  const auto reason = [&](std::string_view what) {
    return "Error! " + shown + " is " + std::string(what) + "; choose another output file name.";
  };
  if (same_file(target,
                booster_thrust_file.empty() ? path_of(BOOSTER_THRUST_FILE) : booster_thrust_file)) {
    return reason("the booster thrust file");
  }
  for (const std::string_view plot : {SPEED_FILE, HEIGHT_FILE, ACCEL_FILE, DYNPRES_FILE}) {
    if (same_file(target, path_of(plot))) return reason("a plot file");
  }
  if (same_file(target, path_of(CONSTANTS_FILE))) return reason("the constants file");
  if (names_stream_file(target, standard_input_)) return reason("the standard input");
  if (names_stream_file(target, standard_output_)) return reason("the standard output");
  return "";
}

void Channels::open_channels(const std::filesystem::path& booster_thrust_file) {
  console_ = TextChannel::borrow(standard_output_, std::string(STANDARD_OUTPUT));
  for (;;) {
    console_.write(FILE_NAME_PROMPT);
    console_.flush();
    output_filename_ = read_output_filename();
    if (output_filename_.empty()) break;  // the standard output, also after a refusal
    const std::string reason = refusal(output_filename_, booster_thrust_file);
    if (reason.empty()) break;
    console_.write_line(reason);
  }
  output_to_file_ = !output_filename_.empty();
  output_ = output_to_file_ ? TextChannel::create(path_of(output_filename_))
                            : TextChannel::borrow(standard_output_, std::string(STANDARD_OUTPUT));
  if (output_to_file_) {
    degree_char = static_cast<char>(176);
    plusminus_char = static_cast<char>(177);
    squared_char = static_cast<char>(178);
    speed_file_ = TextChannel::create(path_of(SPEED_FILE));
    height_file_ = TextChannel::create(path_of(HEIGHT_FILE));
    accel_file_ = TextChannel::create(path_of(ACCEL_FILE));
    dynpres_file_ = TextChannel::create(path_of(DYNPRES_FILE));
  } else {
    degree_char = static_cast<char>(248);
    plusminus_char = static_cast<char>(241);
    squared_char = static_cast<char>(253);
  }
}

void Channels::prompt_real(std::string_view prompt, Real& destination) {
  prompt = prompt.substr(0, MAX_TEXT_LENGTH);
  console_.write(prompt);
  console_.flush();
  const NumberToken token = read_number_token(standard_input_, STANDARD_INPUT);
  if (token.end_of_input) {
    throw EndOfInput("the standard input ended at the prompt \"" + std::string(prompt) + "\"");
  }
  skip_rest_of_line(standard_input_, STANDARD_INPUT);
  const std::optional<double> value = parse_decimal_real(token.text);
  if (!value) {
    throw RuntimeError(ErrorCode::invalid_numeric_format,
                       "invalid number " + quoted_token(token.text) + " in the answer to \"" +
                           std::string(prompt) + "\"");
  }
  destination = *value;
  if (output_to_file_) output_.write_line(Line{}.text(prompt).fixed(destination, 6, 3));
}

void Channels::close_channels() {
  output_.close();
  console_.close();
  if (output_to_file_) {
    speed_file_.close();
    height_file_.close();
    accel_file_.close();
    dynpres_file_.close();
  }
}

void Channels::abandon() noexcept {
  output_.abandon();
  console_.abandon();
  speed_file_.abandon();
  height_file_.abandon();
  accel_file_.abandon();
  dynpres_file_.abandon();
}

}  // namespace ascent
