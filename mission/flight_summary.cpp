#include "mission/flight_summary.hpp"

#include <cmath>

#include "dynamics/earth.hpp"
#include "mission/rocket_equation.hpp"
#include "mission/vehicle.hpp"
#include "run/simulation.hpp"

namespace ascent {

using namespace vehicle;

namespace {

/// Rounding to the nearest whole number, a tie going to the even one.
Real round_even(Extended x) { return std::rint(x); }

Extended degrees(Extended radians) { return radians * 180.0L / PI; }

/// [kg] dry mass plus unusable propellant: the base of the cutoff mass.
constexpr Extended STAGE_BASE_MASS = 17039.0L;

constexpr std::string_view CONTINUATION = "                           ";  // 27 blanks

void write_constants_file(Simulation& sim, const MassBudget& budget) {
  TextChannel file = TextChannel::replace(sim.io.path_of(CONSTANTS_FILE));
  file.write_line("");
  file.write_line("  {Stage 3 constants updated from simulation}");
  file.write_line(Line{}.text("  S3_Mi    =    ").fixed(budget.S3_Mi, 4, 0).text("; {kg, interstage mass}"));
  file.write_line(Line{}
                      .text("  S3_Mp    =  ")
                      .fixed(budget.S3_Mp, 6, 0)
                      .text("; {kg, mainstage propellant mass used, ")
                      .fixed(budget.total_propellant, 5, 0)
                      .text(" kg total -"));
  file.write_line(Line{}
                      .text(CONTINUATION)
                      .integer(2524, 3)
                      .text(" kg unusable - ")
                      .fixed(budget.reserve_propellant, 3, 0)
                      .text(" kg reserve - ")
                      .fixed(budget.deorbit_propellant, 3, 0)
                      .text(" kg deorbit}"));
  file.write_line(Line{}
                      .text("  S3_Ms    =   ")
                      .fixed(budget.S3_Ms, 5, 0)
                      .text("; {kg, cutoff mass, ")
                      .integer(14515, 5)
                      .text(" kg dry + ")
                      .integer(2524, 4)
                      .text(" kg unusable +"));
  file.write_line(Line{}
                      .text(CONTINUATION)
                      .fixed(budget.reserve_propellant, 3, 0)
                      .text(" kg reserve + ")
                      .fixed(budget.deorbit_propellant, 3, 0)
                      .text(" kg deorbit}"));
  file.write_line(Line{}
                      .text("  S3_U_Mp  =     ")
                      .fixed(budget.S3_U_Mp, 3, 0)
                      .text("; {kg, ullage and RCS propellant}"));
  file.write_line(Line{}.text("  SC_M     =  ").fixed(budget.SC_M, 6, 0).text("; {kg, Spacecraft mass}"));
  file.close();
}

/// Secant through this run's and the previous run's (maxa, average altitude)
/// solved for the target altitude; after a reset it runs through the origin.
void update_recommended_maxa(RunMemory& memory, Real maxa) {
  if (memory.average_altitude != memory.previous_average_altitude) {
    memory.recommended_maxa = maxa - (maxa - memory.previous_maxa) *
                                         (memory.average_altitude - TARGET_ALTITUDE) /
                                         (memory.average_altitude - memory.previous_average_altitude);
    memory.previous_average_altitude = memory.average_altitude;
    memory.previous_maxa = maxa;
  }
}

}  // namespace

MassBudget upper_stage_mass_budget(const FlightState& s, Real dV_upper) {
  const ForceEntry& stage = s.force(3);
  MassBudget b;
  b.S3_Mt = stage.force_mass + FAIRING_MASS;
  b.S3_Mi = round_even(stage.max_force * INTERSTAGE_PER_NEWTON);
  b.S3_Mp = round_even(S3_PROPELLANT_LOAD - s.m_prop);
  const Real m = s.m_prop + s.m_fixed;
  const Real x = dV_upper * RESERVE_FRACTION / S3_EXHAUST_VELOCITY;
  b.reserve_propellant = round_even(propellant_for_speed_gain(m, x));
  b.S3_U_Mp = S3_U_MP;
  b.deorbit_propellant = round_even((b.reserve_propellant + STAGE_BASE_MASS) * DEORBIT_FRACTION);
  b.reserve_propellant = b.reserve_propellant + round_even(b.deorbit_propellant * RESERVE_FRACTION);
  b.S3_Ms = b.reserve_propellant + STAGE_BASE_MASS + b.deorbit_propellant;
  b.total_propellant =
      b.S3_Mp + S3_UNUSABLE_PROPELLANT + b.reserve_propellant + b.deorbit_propellant;
  b.SC_M = stage.force_mass - (S3_DRY_MASS + b.S3_Mi + b.total_propellant + b.S3_U_Mp);
  return b;
}

void write_flight_summary(Simulation& sim, Real dV_upper) {
  const FlightState& s = sim.state;
  RunMemory& memory = sim.memory;
  const MassBudget budget = upper_stage_mass_budget(s, dV_upper);
  memory.S3_Mt = budget.S3_Mt;
  memory.S3_Mi = budget.S3_Mi;
  memory.S3_Mp = budget.S3_Mp;
  memory.reserve_propellant = budget.reserve_propellant;
  memory.SC_M = budget.SC_M;
  memory.average_altitude = (s.apogee + s.perigee) / 2.0L;
  memory.altitude_deviation = s.apogee - memory.average_altitude;
  update_recommended_maxa(memory, s.maxa);

  Channels& io = sim.io;
  TextChannel& out = io.output();
  out.write_line("");
  out.write_line(Line{}
                     .text("Turn Time = ")
                     .fixed(memory.turn_time, 5, 3)
                     .text(" s, Maximum angle of attack = ")
                     .fixed(degrees(s.maxa), 7, 4)
                     .byte(io.degree_char));
  out.write_line(Line{}
                     .text("Upper Stage in Orbit! Remaining propellant = ")
                     .fixed(s.m_prop, 1, 0)
                     .text(" kg."));
  out.write_line(Line{}
                     .text("Perigee = ")
                     .fixed(s.perigee / 1000.0L, 5, 1)
                     .text(" km, Apogee = ")
                     .fixed(s.apogee / 1000.0L, 5, 1)
                     .text(" km, Average Altitude = ")
                     .fixed(memory.average_altitude / 1000.0L, 5, 1)
                     .byte(io.plusminus_char)
                     .fixed(memory.altitude_deviation / 1000.0L, 3, 1)
                     .text(" km"));
  out.write_line(Line{}.text("Vacuum and zero gravity delta-V = ").fixed(s.dV, 1, 0).text(" m/s"));
  out.write_line(Line{}
                     .text("Stage 3 Maximum force = ")
                     .fixed(s.force(3).max_force, 1, 0)
                     .text(" N at ")
                     .fixed(s.force(3).max_force_t, 4, 2)
                     .text(" s"));
  out.write_line(Line{}
                     .text("Liftoff thrust = ")
                     .fixed(memory.liftoff_thrust, 1, 0)
                     .text(" N at ")
                     .fixed(memory.liftoff_accel, 5, 2)
                     .text(" m/s")
                     .byte(io.squared_char)
                     .text(" for ")
                     .fixed(memory.liftoff_mass, 1, 0)
                     .text(" kg"));
  if (io.output_to_file()) {
    out.write_line(Line{}
                       .text("Maximum dynamic pressure = ")
                       .fixed(s.q_max, 1, 0)
                       .text(" Pa at ")
                       .fixed(s.q_max_t, 5, 2)
                       .text(" s"));
    out.write_line(Line{}
                       .text("Maximum acceleration = ")
                       .fixed(s.a_max, 5, 2)
                       .text(" m/s")
                       .byte(io.squared_char)
                       .text(" at ")
                       .fixed(s.a_max_t, 5, 2)
                       .text(" s"));
  }
  out.write_line(Line{}
                     .text("  S3_Mt   = ")
                     .fixed(budget.S3_Mt, 7, 0)
                     .text("; {kg, interstage, third stage and payload mass}"));
  if (sim.write_constants_file) write_constants_file(sim, budget);
  out.write_line(Line{}.text("  SC_M    = ").fixed(budget.SC_M, 7, 0).text("; {kg, Spacecraft mass}"));
  out.write_line("");
  out.write_line(Line{}
                     .text("Recommended maxa = ")
                     .fixed(degrees(memory.recommended_maxa), 7, 4)
                     .byte(io.degree_char));
  out.write_line("");
}

}  // namespace ascent
