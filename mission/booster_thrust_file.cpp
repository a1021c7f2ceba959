#include "mission/booster_thrust_file.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "run/line.hpp"
#include "run/number.hpp"
#include "run/runtime_error.hpp"

namespace ascent {

BoosterThrustFile::BoosterThrustFile(const std::filesystem::path& path) : name_(path.string()) {
  file_.reset(std::fopen(path.c_str(), "rb"));
  if (!file_) {
    const int error_number = errno;
    throw RuntimeError(error_code_from_errno(error_number, ErrorCode::read_error),
                       "cannot open the booster thrust file \"" + name_ +
                           "\": " + std::strerror(error_number));
  }
  struct stat info {};
  if (fstat(fileno(file_.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
    throw RuntimeError(ErrorCode::access_denied,
                       "the booster thrust file \"" + name_ + "\" is a folder, not a file");
  }
}

Real BoosterThrustFile::read_number(const char* what) {
  const int record = records_read_ + 1;
  const NumberToken token = read_number_token(file_.get(), name_);
  if (token.end_of_input) {
    std::string where = records_read_ == 0
                            ? std::string("holds no record")
                            : "ends after record " + std::to_string(records_read_) + " (t = " +
                                  std::string(Line{}.fixed(last_t_, 1, 2).view()) + " s)";
    throw RuntimeError(ErrorCode::read_error,
                       "the booster thrust file \"" + name_ + "\" " + where +
                           ": records are needed up to booster separation");
  }
  const std::optional<double> value = parse_decimal_real(token.text);
  if (!value) {
    throw RuntimeError(ErrorCode::invalid_numeric_format,
                       "the booster thrust file \"" + name_ + "\", record " +
                           std::to_string(record) + ": the " + what + " " +
                           quoted_token(token.text) + " is not a valid number");
  }
  return *value;
}

BoosterRecord BoosterThrustFile::read_record() {
  BoosterRecord record;
  record.t = read_number("time");
  record.thrust = read_number("thrust");
  skip_rest_of_line(file_.get(), name_);
  ++records_read_;
  const bool follows = records_read_ == 1 ? record.t > 0.0L : record.t > last_t_;
  if (!follows) {
    const std::string limit = records_read_ == 1
                                  ? std::string("0 s")
                                  : std::string(Line{}.fixed(last_t_, 1, 2).view()) +
                                        " s of record " + std::to_string(records_read_ - 1);
    throw RuntimeError(ErrorCode::range_check,
                       "the booster thrust file \"" + name_ + "\", record " +
                           std::to_string(records_read_) + ": the time " +
                           std::string(Line{}.fixed(record.t, 1, 2).view()) +
                           " s does not come after " + limit);
  }
  if (record.thrust < 0.0L) {
    throw RuntimeError(ErrorCode::range_check,
                       "the booster thrust file \"" + name_ + "\", record " +
                           std::to_string(records_read_) + ": the thrust " +
                           std::string(Line{}.fixed(record.thrust, 1, 0).view()) +
                           " N is negative");
  }
  const Real start = records_read_ == 1 ? Real(0.0L) : last_t_;
  if (record.t - start > MAX_RECORD_INTERVAL) {
    const std::string after =
        records_read_ == 1 ? std::string("0 s") : "record " + std::to_string(records_read_ - 1);
    throw RuntimeError(
        ErrorCode::range_check,
        "the booster thrust file \"" + name_ + "\", record " + std::to_string(records_read_) +
            ": the time " + std::string(Line{}.fixed(record.t, 1, 2).view()) + " s lies " +
            std::string(Line{}.fixed(record.t - start, 1, 2).view()) + " s after " + after +
            "; records more than " + std::string(Line{}.fixed(MAX_RECORD_INTERVAL, 1, 0).view()) +
            " s apart cannot be flown");
  }
  last_t_ = record.t;
  return record;
}

void BoosterThrustFile::close() { file_.reset(); }

}  // namespace ascent
