#include "mission/mass_budget.hpp"

#include <cmath>

#include "mission/rocket_equation.hpp"

namespace ascent {

namespace {
/// Rounding to the nearest whole number, a tie going to the even one.
Extended round_even(Extended x) { return std::rint(x); }
/// No rounding: the budget as a smooth function of the flight.
Extended unrounded(Extended x) { return x; }

/// The budget's masses [kg], each booked through `book` (whole kilograms,
/// or not rounded).
struct BudgetTerms {
  Real S3_Mi;
  Real S3_Mp;
  Real reserve;
  Real deorbit;
  Real total;
  Real SC_M;
};

BudgetTerms budget_terms(const Vehicle& v, const FlightState& s, Real dV_upper,
                         Extended (*book)(Extended)) {
  const ForceEntry& stack = s.force(3);
  const UpperStage& stage = v.upper_stage;
  const MassBudgetRules& rules = v.mass_budget;
  BudgetTerms t;
  t.S3_Mi = book(stack.max_force * rules.interstage_per_newton);
  t.S3_Mp = book(stage.propellant_load - s.m_prop);
  const Real m = s.m_prop + s.stage.m_fixed;
  const Real x = dV_upper * rules.reserve_fraction / stage.exhaust_velocity;
  t.reserve = book(propellant_for_speed_gain(m, x));
  t.deorbit = book((t.reserve + v.stage_base_mass()) * rules.deorbit_fraction);
  t.reserve = t.reserve + book(t.deorbit * rules.reserve_fraction);
  t.total = t.S3_Mp + stage.unusable_propellant + t.reserve + t.deorbit;
  t.SC_M = stack.force_mass -
           (stage.dry_mass + t.S3_Mi + t.total + stage.ullage_and_rcs_propellant);
  return t;
}
}  // namespace

MassBudget upper_stage_mass_budget(const Vehicle& v, const FlightState& s, Real dV_upper) {
  const BudgetTerms t = budget_terms(v, s, dV_upper, round_even);
  const Real S3_Mt = s.force(3).force_mass + v.fairing.mass;
  const Real S3_Ms = t.reserve + v.stage_base_mass() + t.deorbit;

  MassBudget b;
  b.S3_Mt = S3_Mt.value();
  b.S3_Mi = t.S3_Mi.value();
  b.S3_Mp = t.S3_Mp.value();
  b.reserve_propellant = t.reserve.value();
  b.deorbit_propellant = t.deorbit.value();
  b.S3_Ms = S3_Ms.value();
  b.total_propellant = t.total.value();
  b.S3_U_Mp = v.upper_stage.ullage_and_rcs_propellant;
  b.SC_M = t.SC_M.value();
  b.SC_M_unrounded = budget_terms(v, s, dV_upper, unrounded).SC_M.value();
  return b;
}

}  // namespace ascent
