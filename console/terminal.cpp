#include "console/terminal.hpp"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <string_view>

namespace ascent {

namespace {

/// The locale that rules character types, as POSIX names the variables'
/// precedence. Read from the environment rather than loaded: a statically
/// linked program cannot load locale data, and only the name is needed.
std::string_view character_locale() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return "";
}

/// "UTF-8", "utf8", "Utf-8" and the like.
bool names_utf8(std::string_view codeset) {
  std::string folded;
  for (const char c : codeset) {
    if (c != '-') folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return folded == "utf8";
}

}  // namespace

bool is_terminal(std::FILE* stream) {
  const int descriptor = ::fileno(stream);
  return descriptor >= 0 && ::isatty(descriptor) != 0;
}

bool is_utf8_terminal(std::FILE* stream) {
  if (!is_terminal(stream)) return false;
  // language_territory.codeset@modifier
  std::string_view locale = character_locale();
  const auto dot = locale.find('.');
  if (dot == std::string_view::npos) return false;
  locale.remove_prefix(dot + 1);
  return names_utf8(locale.substr(0, locale.find('@')));
}

}  // namespace ascent
