// Failures of the text channels and of the data the program reads.
//
// A failure ends the program: `run_session` turns it into the report
// "Runtime error N at $XXXXXXXXXXXXXXXX" on the standard output, followed by
// lines that say what failed and where, and the exit status N. The numbers are
// the classic DOS I/O error numbers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <version>

#if defined(__cpp_lib_source_location)
#include <source_location>
#endif

namespace ascent {

#if defined(__cpp_lib_source_location)
using SourceLocation = std::source_location;
#else
/// The place of a call, for a standard library without std::source_location
/// (libstdc++ under clang 14, the fuzzing build): the compiler's builtins.
class SourceLocation {
 public:
  static constexpr SourceLocation current(const char* file = __builtin_FILE(),
                                          const char* function = __builtin_FUNCTION(),
                                          unsigned line = __builtin_LINE()) noexcept {
    SourceLocation here;
    here.file_ = file;
    here.function_ = function;
    here.line_ = line;
    return here;
  }
  [[nodiscard]] constexpr const char* file_name() const noexcept { return file_; }
  [[nodiscard]] constexpr const char* function_name() const noexcept { return function_; }
  [[nodiscard]] constexpr unsigned line() const noexcept { return line_; }

 private:
  const char* file_ = "";
  const char* function_ = "";
  unsigned line_ = 0;
};
#endif

/// Error numbers of the failure report; each is also the exit status.
enum class ErrorCode : int {
  file_not_found = 2,       ///< a file to be read does not exist
  path_not_found = 3,       ///< a folder of the path does not exist
  too_many_open_files = 4,  ///< the process ran out of file descriptors
  access_denied = 5,        ///< no permission, read-only file system, or a folder
  read_error = 100,         ///< reading failed or the data ended too early
  write_error = 101,        ///< writing, flushing or closing failed
  invalid_numeric_format = 106,  ///< an answer or a file entry is not a valid number
  range_check = 201,        ///< a value that reads fine but cannot be flown
};

class RuntimeError : public std::runtime_error {
 public:
  /// `position` is the program address that raised the failure, relative to
  /// the start of the executable image, so a report points into the binary.
  [[gnu::noinline]] RuntimeError(ErrorCode code, const std::string& what,
                                 SourceLocation where = SourceLocation::current());

  [[nodiscard]] int code() const { return static_cast<int>(code_); }
  [[nodiscard]] std::uintptr_t position() const { return position_; }
  [[nodiscard]] const SourceLocation& where() const { return where_; }

  /// What the user can do about it, in plain words ("" when nothing is known):
  /// added where the failure meets what the user typed or chose.
  void advise(std::string advice) { advice_ = std::move(advice); }
  [[nodiscard]] const std::string& advice() const { return advice_; }

 private:
  ErrorCode code_;
  std::string advice_;
  SourceLocation where_;
  std::uintptr_t position_;
};

/// The standard input came to its end where an answer was expected.
class EndOfInput : public RuntimeError {
 public:
  explicit EndOfInput(const std::string& what, SourceLocation where = SourceLocation::current())
      : RuntimeError(ErrorCode::read_error, what, where) {}
};

/// The error number that best describes a failed file-system call.
ErrorCode error_code_from_errno(int error_number, ErrorCode fallback);

/// Writes the failure report, CR LF line ends, to `out` and flushes it: the
/// error number and address, what failed, what to do about it, and the
/// place in the source. Returns false when the report could not be written.
bool write_failure_report(const RuntimeError& failure, std::FILE* out);

}  // namespace ascent
