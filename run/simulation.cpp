#include "run/simulation.hpp"

#include <utility>

#include "run/runtime_error.hpp"

namespace ascent {

namespace {
constexpr std::string_view TURN_TIME_PROMPT = "Turn time (s)? ";
constexpr std::string_view TURN_TIME_ERROR = "Error! Turn time must be greater than one second.";
}  // namespace

Simulation::Simulation(std::FILE* standard_input, std::FILE* standard_output,
                       std::filesystem::path work_dir)
    : io(standard_input, standard_output, std::move(work_dir)) {}

void Simulation::write_table_header() {
  TextChannel& out = io.output();
  out.write_line("");
  out.write_line("   t      a     vi     h0       r0      alpha  beta  theta     Pq     m0+Me");
  out.write_line(Line{}
                     .text("  sec    m/s")
                     .byte(io.squared_char)
                     .text("  m/s   metres   metres     deg    deg   deg      Pa       kg"));
  out.write_line(std::string_view("-----------------------------------------------------------------------------"));
}

void Simulation::set_up_run_control() {
  state.a_max = state.a_max_t = state.q_max = state.q_max_t = 0.0L;
  memory.dV_sep = 0.0L;
  memory.previous_turn_time = 0.0L;
  io.open_channels(booster_thrust_path());
  air.init_atmosphere();
  write_table_header();
}

void Simulation::fly_run() {
  fly_booster_phase();
  fly_core_phase();
  fly_upper_stage_phase();
}

void Simulation::run_dialogue() {
  set_up_run_control();
  for (;;) {
    try {
      io.prompt_real(TURN_TIME_PROMPT, memory.turn_time);
    } catch (const EndOfInput&) {
      break;  // no further answer can come: end as a negative turn time does
    }
    if (memory.turn_time >= 1.0L) {
      if (memory.turn_time != memory.previous_turn_time) {
        memory.previous_maxa = 0.0L;
        memory.previous_average_altitude = 0.0L;
      }
      memory.previous_turn_time = memory.turn_time;
      try {
        fly_run();
      } catch (const RunAbandoned& reason) {
        io.output().write_line(reason.what());
      }
    } else if (memory.turn_time >= 0.0L) {
      io.output().write_line(TURN_TIME_ERROR);
    } else {
      break;
    }
  }
  io.close_channels();
}

std::filesystem::path Simulation::booster_thrust_path() const {
  return booster_thrust_file.empty() ? io.path_of(BOOSTER_THRUST_FILE) : booster_thrust_file;
}

void Simulation::write_event(std::string_view line) {
  io.output().write_line(line);
  if (observer != nullptr) observer->on_event(line, state);
}

int run_session(Simulation& simulation, std::FILE* report_stream) {
  try {
    simulation.run_dialogue();
    return 0;
  } catch (const RuntimeError& failure) {
    simulation.io.abandon();
    // A report that cannot reach its stream (a full disk behind the standard
    // output, say) goes to the standard error: a failure is never silent.
    if (!write_failure_report(failure, report_stream) && report_stream != stderr) {
      write_failure_report(failure, stderr);
    }
    return failure.code();
  }
}

}  // namespace ascent
