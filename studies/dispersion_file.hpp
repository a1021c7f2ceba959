// Dispersion sets in TOML: a table per group of parameters, a distribution
// per parameter, as data/dispersions.toml shows (docs/dispersions.md tells
// the whole format):
//
//   [boosters]
//   propellant = { sigma_relative = 0.005 }    # 0.5 % of the nominal load
//   [upper_stage]
//   dry_mass = { uniform = [-100.0, 150.0] }   # kg about the nominal
//   [scales]
//   drag = { sigma = 0.05 }
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/runtime_error.hpp"
#include "studies/dispersion_set.hpp"

namespace ascent::studies {

/// A dispersion set that cannot be read; what() is "source:line:column: why".
class DispersionFileError : public InputError {
 public:
  explicit DispersionFileError(const std::string& what,
                               SourceLocation where = SourceLocation::current())
      : InputError(ErrorCode::range_check, what, where) {}
};

/// The keys of a parameter's table, one of which gives its distribution.
inline constexpr std::string_view SIGMA_KEY = "sigma";
inline constexpr std::string_view SIGMA_RELATIVE_KEY = "sigma_relative";
inline constexpr std::string_view UNIFORM_KEY = "uniform";
inline constexpr std::string_view UNIFORM_RELATIVE_KEY = "uniform_relative";

/// Reads a set from TOML text; `source` names it in messages. Throws
/// DispersionFileError for a syntax error, an unknown parameter or key (with
/// the nearest known one), a value of the wrong type, a negative sigma,
/// bounds in the wrong order, a count, or a parameter without a distribution.
[[nodiscard]] DispersionSet parse_dispersion_set(std::string_view text, std::string_view source);

/// Reads the set in the file at `path`. Throws FileError when it cannot be
/// opened or read, DispersionFileError (an InputError) when its text is wrong.
[[nodiscard]] DispersionSet read_dispersion_file(const std::filesystem::path& path);

/// The default set, data/dispersions.toml as it was built in.
[[nodiscard]] const DispersionSet& default_dispersion_set();

}  // namespace ascent::studies
