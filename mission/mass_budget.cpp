#include "mission/mass_budget.hpp"

#include <cmath>

#include "mission/rocket_equation.hpp"

namespace ascent {

namespace {
/// Rounding to the nearest whole number, a tie going to the even one.
Real round_even(Extended x) { return std::rint(x); }
}  // namespace

MassBudget upper_stage_mass_budget(const Vehicle& v, const FlightState& s, Real dV_upper) {
  const ForceEntry& stack = s.force(3);
  const UpperStage& stage = v.upper_stage;
  const MassBudgetRules& rules = v.mass_budget;
  const Real S3_Mt = stack.force_mass + v.fairing.mass;
  const Real S3_Mi = round_even(stack.max_force * rules.interstage_per_newton);
  const Real S3_Mp = round_even(stage.propellant_load - s.m_prop);
  const Real m = s.m_prop + s.m_fixed;
  const Real x = dV_upper * rules.reserve_fraction / stage.exhaust_velocity;
  Real reserve = round_even(propellant_for_speed_gain(m, x));
  const Real deorbit = round_even((reserve + v.stage_base_mass()) * rules.deorbit_fraction);
  reserve = reserve + round_even(deorbit * rules.reserve_fraction);
  const Real S3_Ms = reserve + v.stage_base_mass() + deorbit;
  const Real total = S3_Mp + stage.unusable_propellant + reserve + deorbit;
  const Real SC_M =
      stack.force_mass - (stage.dry_mass + S3_Mi + total + stage.ullage_and_rcs_propellant);

  MassBudget b;
  b.S3_Mt = S3_Mt.value();
  b.S3_Mi = S3_Mi.value();
  b.S3_Mp = S3_Mp.value();
  b.reserve_propellant = reserve.value();
  b.deorbit_propellant = deorbit.value();
  b.S3_Ms = S3_Ms.value();
  b.total_propellant = total.value();
  b.S3_U_Mp = stage.ullage_and_rcs_propellant;
  b.SC_M = SC_M.value();
  return b;
}

}  // namespace ascent
