// A dispersion set: the uncertain parameters of a vehicle and its flight,
// each with the distribution its value is drawn from.
//
// A parameter is a field of Vehicle by its deck name ("boosters.propellant",
// "upper_stage.dry_mass") or one of three scale factors, whose nominal value
// is 1: "scales.booster_thrust" multiplies the booster thrust history (and so
// the boosters' mass flow), "scales.drag" the drag coefficient and
// "scales.density" the air density.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mission/flight.hpp"
#include "mission/vehicle_fields.hpp"

namespace ascent::studies {

/// A deviation from the nominal value. Absolute deviations are in the unit of
/// the parameter; relative ones are fractions of the nominal value.
struct Distribution {
  enum class Shape { normal, uniform };

  Shape shape = Shape::normal;
  bool relative = false;
  double sigma = 0.0;  ///< normal: the standard deviation, at least 0
  double low = 0.0;    ///< uniform: the smallest deviation
  double high = 0.0;   ///< uniform: the largest deviation, at least `low`

  /// The value drawn about `nominal` for a uniform draw u in (0, 1): the
  /// normal one at the u-quantile, the uniform one at the fraction u of
  /// its interval.
  [[nodiscard]] double value(double nominal, double u) const;

  bool operator==(const Distribution&) const = default;
};

enum class ScaleFactor { booster_thrust, drag, density };

/// The scale factors by name ("scales.drag", ...).
struct ScaleFactorName {
  ScaleFactor factor;
  std::string_view name;
};
inline constexpr std::array<ScaleFactorName, 3> SCALE_FACTORS{{
    {ScaleFactor::booster_thrust, "scales.booster_thrust"},
    {ScaleFactor::drag, "scales.drag"},
    {ScaleFactor::density, "scales.density"},
}};

/// One uncertain parameter.
struct Dispersion {
  std::string name;                     ///< "boosters.propellant", "scales.drag"
  const VehicleField* field = nullptr;  ///< the vehicle's field; null for a scale factor
  ScaleFactor scale = ScaleFactor::booster_thrust;  ///< when `field` is null
  Distribution distribution;

  /// The unit of the drawn value: the field's, or "1" for a scale.
  [[nodiscard]] std::string_view unit() const;
};

class DispersionSet {
 public:
  /// Adds the parameter named `name`. Throws InputError for a name
  /// that is neither a field nor a scale factor, a count (a whole number
  /// cannot be dispersed), a name already in the set, or a distribution
  /// whose sigma is negative, whose bounds are out of order or not finite.
  void add(std::string_view name, const Distribution& distribution);

  [[nodiscard]] const std::vector<Dispersion>& entries() const { return entries_; }
  [[nodiscard]] bool empty() const { return entries_.empty(); }

 private:
  std::vector<Dispersion> entries_;
};

/// Why a distribution cannot be drawn from ("" when it can).
[[nodiscard]] std::string distribution_fault(const Distribution& distribution);

/// A vehicle and flight conditions drawn for case k of a study.
struct DrawnCase {
  Vehicle vehicle;
  double booster_thrust_scale = 1.0;
  AeroScales aero{};
  std::vector<double> values;  ///< the value of each entry of the set, in its order
  std::string out_of_range;    ///< which value cannot be flown, or which conflict; "" when none
};

/// Draws every parameter of `set` about `nominal` for case `k` of the study
/// with `seed`.
[[nodiscard]] DrawnCase draw_case(const DispersionSet& set, const Vehicle& nominal,
                                  std::uint64_t seed, std::uint64_t k);

}  // namespace ascent::studies
