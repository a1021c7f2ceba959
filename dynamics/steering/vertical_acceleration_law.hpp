// The vertical-acceleration law: the radial acceleration follows K |vr|^n,
// the thrust angle that gives it held within +-maxa of the inertial path.
// Where the angle is cut to the limit the thrust flies at the limit instead.
#pragma once

#include <cmath>
#include <optional>

#include "dynamics/equations_of_motion.hpp"
#include "dynamics/steering/steering_inputs.hpp"

namespace ascent {

struct VerticalAccelerationLaw {
  static constexpr bool flies_in_air = true;
  static constexpr bool reads_flight_path_angle = true;
  static constexpr bool reads_air_path_angle = false;

  Real n;                   ///< [1] exponent of the law
  Real K{};                 ///< [m/s^2 per (m/s)^n] coefficient of the law
  bool calibrated = false;  ///< K is set; else the next evaluation scales it

  /// The steering the update after a step found, with its inputs. The next
  /// step's first stage looks at the same state and usually finds the same
  /// inputs: it takes the kept steering instead of the law's exponential,
  /// logarithm and arctangent again.
  struct KeptSteering {
    VerticalLawInputs in{};
    VerticalLawSteering out{};
    bool valid = false;
    bool operator==(const KeptSteering&) const = default;
  } kept{};

  /// The sines of the limit the law last saw: the limit seldom changes.
  std::optional<LimitSines> limit{};

  /// The first evaluation after a phase chose the law scales K to the radial
  /// acceleration that the held angle gives now: the law takes over smoothly.
  Accelerations accelerations(const SteeringInputs& in) {
    if (!calibrated) {
      K = calibrate_vertical_law(in.T, in.alpha, in.beta, in.D, in.vr, in.v_rel, in.m, in.vt, in.r,
                                 n);
      calibrated = true;
    }
    const VerticalLawInputs inputs = law_inputs(in);
    const VerticalLawSteering law =
        kept.valid && same_bits(kept.in, inputs) ? kept.out : steer(inputs);
    if (law.limited) {
      const Real phi = law.alpha_c + in.beta;
      const SineCosine thrust_direction = sine_cosine(phi);
      return {(in.T * thrust_direction.cos - drag_component(in.D, in.vt_rel, in.v_rel)) / in.m -
                  in.vr * in.vt / in.r,
              (in.T * thrust_direction.sin - drag_component(in.D, in.vr, in.v_rel)) / in.m +
                  in.vt * in.vt / in.r - MU / (in.r * in.r)};
    }
    return {(std::sqrt(in.T * in.T - law.Ty * law.Ty) - drag_component(in.D, in.vt_rel, in.v_rel)) /
                    in.m -
                in.vr * in.vt / in.r,
            Extended{law.a_des}};
  }
  Real held_angle(const SteeringInputs& in) {
    kept.in = law_inputs(in);
    kept.out = steer(kept.in);
    kept.valid = true;
    return kept.out.alpha_c;
  }
  Real aerodynamic_offset(const SteeringInputs&) const { return 0.0L; }

  bool operator==(const VerticalAccelerationLaw&) const = default;

 private:
  VerticalLawInputs law_inputs(const SteeringInputs& in) const {
    return {K, n, in.vt, in.vr, in.r, in.m, in.T, in.D, in.v_rel, in.beta, in.maxa};
  }
  VerticalLawSteering steer(const VerticalLawInputs& inputs) {
    if (!limit || !same_bits(limit->maxa, inputs.maxa)) limit = LimitSines::of(inputs.maxa);
    return steer_vertical_law(inputs, limit);
  }
};

}  // namespace ascent
