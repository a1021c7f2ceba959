#include "mission/thrust_history.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include "base/fixed_text.hpp"
#include "base/number.hpp"
#include "base/read_file.hpp"

namespace ascent {

namespace {

std::string record_text(std::size_t number) { return "record " + std::to_string(number); }

/// Why a record cannot follow the `previous` ones; "" when it can.
std::string record_fault(const ThrustRecord& record, const std::vector<ThrustRecord>& previous) {
  const std::size_t number = previous.size() + 1;
  const bool first = previous.empty();
  const Real start = first ? Real(0.0L) : previous.back().t;
  if (!(first ? record.t > 0.0L : record.t > start)) {
    const std::string limit = first ? std::string("0 s")
                                    : fixed_text(start, 2) + " s of " + record_text(number - 1);
    return "the time " + fixed_text(record.t, 2) + " s does not come after " + limit;
  }
  // The time's faults before the thrust's: a record is refused for its leftmost fault.
  if (record.t - start > MAX_RECORD_INTERVAL) {
    const std::string after = first ? std::string("0 s") : record_text(number - 1);
    return "the time " + fixed_text(record.t, 2) + " s lies " + fixed_text(record.t - start, 2) +
           " s after " + after + "; records more than " + fixed_text(MAX_RECORD_INTERVAL, 0) +
           " s apart cannot be flown";
  }
  if (!std::isfinite(record.thrust.value())) return "the thrust is not a finite number";
  if (record.thrust < 0.0L) return "the thrust " + fixed_text(record.thrust, 0) + " N is negative";
  return "";
}

}  // namespace

ThrustHistory ThrustHistory::read(const std::filesystem::path& path) {
  ThrustHistory history;
  history.name_ = path.string();
  const std::string& name = history.name_;
  const FileOwner file = open_for_reading(path, "the booster thrust file");
  std::vector<ThrustRecord>& records = history.records_;

  // One number of the record being read, or why there is none.
  const auto number = [&](const char* what) -> std::optional<Real> {
    const NumberToken token = read_number_token(file.get(), name);
    if (token.end_of_input) {
      const std::string where =
          records.empty() ? std::string("holds no record")
                          : "ends after " + record_text(records.size()) + " (t = " +
                                fixed_text(records.back().t, 2) + " s)";
      history.stop_code_ = ErrorCode::read_error;
      history.stop_message_ = "the booster thrust file \"" + name + "\" " + where +
                              ": records are needed up to booster separation";
      return std::nullopt;
    }
    const std::optional<double> value = parse_decimal_real(token.text);
    if (!value) {
      history.stop_code_ = ErrorCode::invalid_numeric_format;
      history.stop_message_ = "the booster thrust file \"" + name + "\", " +
                              record_text(records.size() + 1) + ": the " + what + " " +
                              quoted_token(token.text) + " is not a valid number";
    }
    return value;
  };

  for (;;) {
    const std::optional<Real> t = number("time");
    if (!t) break;
    const std::optional<Real> thrust = number("thrust");
    if (!thrust) break;
    skip_rest_of_line(file.get(), name);
    const ThrustRecord record{*t, *thrust};
    if (std::string fault = record_fault(record, records); !fault.empty()) {
      history.stop_code_ = ErrorCode::range_check;
      history.stop_message_ = "the booster thrust file \"" + name + "\", " +
                              record_text(records.size() + 1) + ": " + fault;
      break;
    }
    records.push_back(record);
  }
  return history;
}

ThrustHistory ThrustHistory::from_records(const std::vector<ThrustRecord>& records,
                                          std::string name) {
  ThrustHistory history;
  history.name_ = std::move(name);
  for (const ThrustRecord& record : records) {
    if (std::string fault = record_fault(record, history.records_); !fault.empty()) {
      throw FlightError("the booster thrust history \"" +
                                                     history.name_ + "\", " +
                                                     record_text(history.records_.size() + 1) +
                                                     ": " + fault);
    }
    history.records_.push_back(record);
  }
  history.stop_message_ = "the booster thrust history \"" + history.name_ + "\" ends after " +
                          record_text(history.records_.size()) +
                          ": records are needed up to booster separation";
  return history;
}

ThrustHistory ThrustHistory::scaled(double factor) const {
  if (!(factor > 0.0) || !std::isfinite(factor)) {
    throw InputError(ErrorCode::range_check, "a thrust scale factor must be a positive number");
  }
  ThrustHistory copy = *this;
  for (ThrustRecord& record : copy.records_) record.thrust = record.thrust * Extended{factor};
  return copy;
}

ThrustHistory ThrustHistory::ending(ErrorCode code, std::string message) const {
  ThrustHistory copy = *this;
  copy.stop_code_ = code;
  copy.stop_message_ = std::move(message);
  return copy;
}

const ThrustRecord& ThrustHistory::record(std::size_t index) const {
  if (index >= records_.size()) throw FlightError(stop_code_, stop_message_);
  return records_[index];
}

}  // namespace ascent
