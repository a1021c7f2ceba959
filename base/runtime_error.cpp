#include "base/runtime_error.hpp"

#include <dlfcn.h>

#include <cerrno>
#include <cinttypes>
#include <string_view>

namespace ascent {

namespace {

std::uintptr_t image_offset(const void* address) {
  Dl_info info{};
  const auto raw = reinterpret_cast<std::uintptr_t>(address);
  if (dladdr(address, &info) != 0 && info.dli_fbase != nullptr) {
    return raw - reinterpret_cast<std::uintptr_t>(info.dli_fbase);
  }
  return raw;
}

/// The source path from the project root, so reports do not depend on the checkout.
std::string_view project_relative(std::string_view path) {
  for (std::string_view folder : {"/base/", "/atmosphere/", "/dynamics/", "/mission/", "/text/", "/console/", "/tools/"}) {
    if (const auto at = path.rfind(folder); at != std::string_view::npos) {
      return path.substr(at + 1);
    }
  }
  return path;
}

}  // namespace

RuntimeError::RuntimeError(ErrorKind kind, ErrorCode code, const std::string& what,
                           SourceLocation where, const void* raised_from)
    : std::runtime_error(what),
      kind_(kind),
      code_(code),
      where_(where),
      position_(image_offset(raised_from)) {}

InputError::InputError(ErrorCode code, const std::string& what, SourceLocation where)
    : RuntimeError(ErrorKind::bad_input, code, what, where, __builtin_return_address(0)) {}

FileError::FileError(ErrorCode code, FileUse use, const std::string& what, SourceLocation where)
    : RuntimeError(ErrorKind::file, code, what, where, __builtin_return_address(0)), use_(use) {}

FlightError::FlightError(const std::string& what, SourceLocation where)
    : RuntimeError(ErrorKind::flight, ErrorCode::range_check, what, where,
                   __builtin_return_address(0)) {}

FlightError::FlightError(ErrorCode code, const std::string& what, SourceLocation where)
    : RuntimeError(ErrorKind::flight, code, what, where, __builtin_return_address(0)) {}

ErrorCode error_code_from_errno(int error_number, ErrorCode fallback) {
  switch (error_number) {
    case ENOENT:
      return ErrorCode::file_not_found;
    case ENOTDIR:
      return ErrorCode::path_not_found;
    case EMFILE:
    case ENFILE:
      return ErrorCode::too_many_open_files;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return ErrorCode::access_denied;
    default:
      return fallback;
  }
}

bool write_failure_report(const RuntimeError& failure, std::FILE* out) {
  const auto& where = failure.where();
  const std::string_view file = project_relative(where.file_name());
  const bool written =
      std::fprintf(out, "Runtime error %d at $%016" PRIXPTR "\r\n", failure.code(),
                   failure.position()) >= 0 &&
      std::fprintf(out, "  %s\r\n", failure.what()) >= 0 &&
      (failure.advice().empty() || std::fprintf(out, "  %s\r\n", failure.advice().c_str()) >= 0) &&
      std::fprintf(out, "  (%.*s:%u)\r\n", static_cast<int>(file.size()), file.data(),
                   static_cast<unsigned>(where.line())) >= 0;
  return std::fflush(out) == 0 && written;
}

}  // namespace ascent
