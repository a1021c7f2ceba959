#include "studies/columns.hpp"

#include <array>

namespace ascent::studies {

namespace {

constexpr Column MAXA{"maxa_deg", "deg"};
constexpr Column PERIGEE{"perigee_m", "m"};
constexpr Column APOGEE{"apogee_m", "m"};
constexpr Column AVERAGE_ALTITUDE{"average_altitude_m", "m"};
constexpr Column REMAINING_PROPELLANT{"remaining_propellant_kg", "kg"};
constexpr Column SC_MASS{"sc_mass_kg", "kg"};
constexpr Column FLIGHTS{"flights", "1"};
constexpr Column STATUS{"status", ""};
constexpr Column MESSAGE{"message", ""};
constexpr Column EVENT{"event", ""};
constexpr Column T{"t_s", "s"};
constexpr Column H0{"h0_m", "m"};
constexpr Column VI{"vi_m_s", "m/s"};
constexpr Column BETA{"beta_deg", "deg"};
constexpr Column THETA{"theta_deg", "deg"};
constexpr Column PQ{"pq_pa", "Pa"};
constexpr Column MASS{"mass_kg", "kg"};
constexpr Column LATITUDE{"latitude_deg", "deg"};
constexpr Column LONGITUDE{"longitude_deg", "deg"};

constexpr std::array HISTORY{T,
                             Column{"dt_s", "s"},
                             Column{"a_m_s2", "m/s^2"},
                             VI,
                             Column{"vt_m_s", "m/s"},
                             Column{"vr_m_s", "m/s"},
                             H0,
                             Column{"r0_m", "m"},
                             Column{"alpha_deg", "deg"},
                             BETA,
                             THETA,
                             PQ,
                             Column{"thrust_n", "N"},
                             Column{"drag_n", "N"},
                             Column{"cd", "1"},
                             MASS,
                             Column{"m_prop_kg", "kg"},
                             Column{"dv_m_s", "m/s"},
                             PERIGEE,
                             APOGEE,
                             Column{"alpha_aero_deg", "deg"},
                             Column{"q_alpha_pa_deg", "Pa*deg"},
                             Column{"search_step", ""},
                             LATITUDE,
                             LONGITUDE,
                             Column{"geodetic_altitude_m", "m"}};

constexpr Column MAX_PQ{"max_pq_pa", "Pa"};
constexpr Column MAX_Q_ALPHA{"max_q_alpha_pa_deg", "Pa*deg"};
constexpr Column MAX_A{"max_a_m_s2", "m/s^2"};

constexpr std::array TRIM{Column{"turn_time_s", "s"},
                          MAXA,
                          PERIGEE,
                          APOGEE,
                          AVERAGE_ALTITUDE,
                          REMAINING_PROPELLANT,
                          SC_MASS,
                          MAX_PQ,
                          Column{"max_pq_time_s", "s"},
                          MAX_Q_ALPHA,
                          Column{"max_q_alpha_time_s", "s"},
                          MAX_A,
                          Column{"max_a_time_s", "s"},
                          FLIGHTS,
                          STATUS,
                          MESSAGE};

constexpr std::array CASE{MAXA,    PERIGEE,     APOGEE, AVERAGE_ALTITUDE, REMAINING_PROPELLANT,
                          SC_MASS, MAX_PQ,      MAX_Q_ALPHA, MAX_A,       FLIGHTS,
                          STATUS,  MESSAGE};

constexpr std::array TARGET{Column{"turn_time_s", "s"},
                            MAXA,
                            Column{"maxa_trimmed", ""},
                            Column{"target_perigee_m", "m"},
                            Column{"target_apogee_m", "m"},
                            PERIGEE,
                            APOGEE,
                            REMAINING_PROPELLANT,
                            SC_MASS,
                            FLIGHTS,
                            STATUS,
                            MESSAGE};

constexpr std::array EVENTS{EVENT, T, H0, VI, BETA, THETA, PQ, MASS, LATITUDE, LONGITUDE};


// The value and the step are in the unit of each row's field.
constexpr std::array SENSITIVITY{Column{"field", ""},
                                 Column{"unit", ""},
                                 Column{"value", ""},
                                 Column{"step", ""},
                                 Column{"central", ""},
                                 Column{"ratio_kg_per_unit", "kg per unit"},
                                 Column{"per_percent_kg", "kg"},
                                 MESSAGE,
                                 Column{"note", ""}};

constexpr std::array IMPACTS{Column{"element", ""},    Column{"reaches_orbit", ""}, T,
                             LATITUDE,                 LONGITUDE,
                             Column{"downrange_m", "m"}, Column{"speed_m_s", "m/s"}};

}  // namespace

std::span<const Column> history_columns() { return HISTORY; }
std::span<const Column> trim_columns() { return TRIM; }
std::span<const Column> case_columns() { return CASE; }
std::span<const Column> target_columns() { return TARGET; }
std::span<const Column> event_columns() { return EVENTS; }
std::span<const Column> sensitivity_columns() { return SENSITIVITY; }
std::span<const Column> impact_columns() { return IMPACTS; }

}  // namespace ascent::studies
