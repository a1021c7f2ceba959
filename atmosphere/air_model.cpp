#include "atmosphere/air_model.hpp"

#include <cmath>

#include "atmosphere/atmosphere.hpp"
#include "atmosphere/standard_atmosphere.hpp"

namespace ascent {

namespace {
/// [1] ratio of specific heats of air (U.S. Standard Atmosphere, 1976).
constexpr double HEAT_CAPACITY_RATIO = 1.4;
}  // namespace

AirData air_data(const AirModel& model, double altitude) {
  if (model.kind == AirModel::Kind::exponential) {
    const double g0_H = static_cast<double>(G0) * model.scale_height;
    const double density = model.sea_level_density * std::exp(-altitude / model.scale_height);
    return {density, density * g0_H, std::sqrt(HEAT_CAPACITY_RATIO * g0_H)};
  }
  const AmbientAir air = standard_atmosphere().atmosphere(altitude);
  return {air.density.value(), air.pressure.value(), air.sound_speed.value()};
}

}  // namespace ascent
