// The library's failures, typed by what they are about: a value given that
// cannot be read or flown (InputError), a file that cannot be opened, read or
// written (FileError), a flight that cannot be flown with the data given
// (FlightError). Each program maps the kind to its exit status once; Python
// maps it to its exception.
//
// Each failure also carries the classic DOS I/O error number that the
// interactive program reports: `run_session` turns a failure into the report
// "Runtime error N at $XXXXXXXXXXXXXXXX" on the standard output, followed by
// lines that say what failed and where, and the exit status N.
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

/// What a failure is about.
enum class ErrorKind {
  bad_input,  ///< a value, an answer or a file's entry that cannot be read or flown
  file,       ///< a file that cannot be opened, read or written
  flight,     ///< the flight cannot be flown with the vehicle and thrust history given
};

/// Whether the file of a FileError was to be read or written.
enum class FileUse { input, output };

/// The common base of the library's failures; thrown only as one of the kinds below.
class RuntimeError : public std::runtime_error {
 public:
  [[nodiscard]] ErrorKind kind() const { return kind_; }
  /// The interactive program's error number, which is also its exit status.
  [[nodiscard]] int code() const { return static_cast<int>(code_); }
  /// The program address that raised the failure, relative to the start of
  /// the executable image, so a report points into the binary.
  [[nodiscard]] std::uintptr_t position() const { return position_; }
  [[nodiscard]] const SourceLocation& where() const { return where_; }

  /// What the user can do about it, in plain words ("" when nothing is known):
  /// added where the failure meets what the user typed or chose.
  void advise(std::string advice) { advice_ = std::move(advice); }
  [[nodiscard]] const std::string& advice() const { return advice_; }

 protected:
  /// `raised_from`: the return address of the kind's constructor, the place of the throw.
  RuntimeError(ErrorKind kind, ErrorCode code, const std::string& what, SourceLocation where,
               const void* raised_from);

 private:
  ErrorKind kind_;
  ErrorCode code_;
  std::string advice_;
  SourceLocation where_;
  std::uintptr_t position_;
};

/// A value, an answer or an entry of a file that cannot be read or flown.
class InputError : public RuntimeError {
 public:
  [[gnu::noinline]] InputError(ErrorCode code, const std::string& what,
                               SourceLocation where = SourceLocation::current());
};

/// A file that cannot be opened, read or written.
class FileError : public RuntimeError {
 public:
  [[gnu::noinline]] FileError(ErrorCode code, FileUse use, const std::string& what,
                              SourceLocation where = SourceLocation::current());
  [[nodiscard]] FileUse use() const { return use_; }

 private:
  FileUse use_;
};

/// A flight that cannot be flown with the vehicle and thrust history given: a
/// thrust history that ends, fails or is too weak before booster separation,
/// a step the integrator cannot take. Error 201 unless the thrust history's
/// own failure says otherwise.
class FlightError : public RuntimeError {
 public:
  [[gnu::noinline]] explicit FlightError(const std::string& what,
                                         SourceLocation where = SourceLocation::current());
  [[gnu::noinline]] FlightError(ErrorCode code, const std::string& what,
                                SourceLocation where = SourceLocation::current());
};

/// The standard input came to its end where an answer was expected.
class EndOfInput : public InputError {
 public:
  explicit EndOfInput(const std::string& what, SourceLocation where = SourceLocation::current())
      : InputError(ErrorCode::read_error, what, where) {}
};

/// The error number that best describes a failed file-system call.
ErrorCode error_code_from_errno(int error_number, ErrorCode fallback);

/// Writes the failure report, CR LF line ends, to `out` and flushes it: the
/// error number and address, what failed, what to do about it, and the
/// place in the source. Returns false when the report could not be written.
bool write_failure_report(const RuntimeError& failure, std::FILE* out);

}  // namespace ascent
