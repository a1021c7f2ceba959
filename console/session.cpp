#include "console/session.hpp"

#include <utility>

#include "base/interruption.hpp"
#include "base/runtime_error.hpp"
#include "text/run_writer.hpp"
#include "text/session_files.hpp"
#include "text/trajectory_row.hpp"

namespace ascent {

namespace {
constexpr std::string_view TURN_TIME_ERROR = "Error! Turn time must be greater than one second.";
}  // namespace

Session::Session(std::FILE* standard_input, std::FILE* standard_output,
                 std::filesystem::path work_dir)
    : io(standard_input, standard_output, std::move(work_dir)) {}

std::filesystem::path Session::booster_thrust_path() const {
  return booster_thrust_file.empty() ? io.path_of(BOOSTER_THRUST_FILE) : booster_thrust_file;
}

void Session::guard_vehicle_deck() {
  if (!vehicle_deck.empty()) io.guard_read_file(vehicle_deck, "the vehicle deck");
}

void Session::begin() {
  previous_turn_time_ = 0.0L;
  write_table_header(io.output(), io.symbols());
}

void Session::run_dialogue() {
  guard_vehicle_deck();
  io.open_channels(booster_thrust_path());
  begin();
  const auto ask_maxa = [this] { return io.prompt_real(MAXA_PROMPT).value(); };
  for (;;) {
    Real turn_time;
    try {
      turn_time = io.prompt_real(TURN_TIME_PROMPT, "A negative turn time (-1) ends the session.");
    } catch (const EndOfInput&) {
      break;  // no further answer can come: end as a negative turn time does
    }
    if (!take_turn_time(turn_time, ask_maxa)) break;
  }
  io.close_channels();
}

void Session::run_without_asking(const std::string& output_name, Real turn_time, Real maxa) {
  guard_vehicle_deck();
  io.bind_output(output_name, booster_thrust_path());
  begin();
  io.echo_answer(TURN_TIME_PROMPT, turn_time);
  take_turn_time(turn_time, [&] {
    io.echo_answer(MAXA_PROMPT, maxa);
    return maxa.value();
  });
  io.echo_answer(TURN_TIME_PROMPT, -1.0L);
  io.close_channels();
}

bool Session::take_turn_time(Real turn_time, const std::function<double()>& maxa) {
  if (turn_time < 0.0L) return false;
  if (turn_time < 1.0L) {
    io.output().write_line(TURN_TIME_ERROR);
    if (io.screen_misses_output()) io.console().write_line(TURN_TIME_ERROR);
    return true;
  }
  if (turn_time != previous_turn_time_) recommended_maxa_.restart();
  previous_turn_time_ = turn_time;
  fly_run(turn_time, maxa);
  return true;
}

void Session::fly_run(Real turn_time, const std::function<double()>& maxa) {
  // The thrust file is read afresh for every run: it may be edited between runs.
  const ThrustHistory thrust = read_thrust_history();
  RunWriter table(io.output(), io.output_to_file() ? &io.plots() : nullptr, observer);
  FlightPlan plan;
  plan.turn_time = turn_time.value();
  plan.maxa_at_separation = maxa;
  const FlightResult result = fly(vehicle, thrust, plan, &table);

  if (io.output_to_file()) maxima_.merge(result.maxima);
  if (result.separated()) {
    recommended_maxa_.add_run(result.maxa, result.orbit.average_altitude, vehicle.target.altitude);
  }
  const RunEnd end{vehicle, recommended_maxa_.recommended(), io.symbols(),
                   io.output_to_file() ? &maxima_ : nullptr,
                   write_constants_file ? io.path_of(CONSTANTS_FILE) : std::filesystem::path{}};
  write_run_end(io.output(), result, end);
  // The table goes to a file: a person at the terminal still sees how the run ended.
  if (io.screen_misses_output()) {
    write_run_outcome(io.console(), result,
                      {vehicle, end.recommended_maxa, io.console_symbols(), nullptr, {}});
  }
  io.flush_files();
}

ThrustHistory Session::read_thrust_history() const {
  try {
    return ThrustHistory::read(booster_thrust_path());
  } catch (RuntimeError& failure) {
    if (failure.code() == static_cast<int>(ErrorCode::file_not_found) && booster_thrust_file.empty()) {
      std::error_code ignored;
      failure.advise("ascent reads the booster thrust file " + std::string(BOOSTER_THRUST_FILE) +
                     " in its working folder, " +
                     std::filesystem::absolute(io.path_of("."), ignored).lexically_normal().parent_path().string() +
                     "; the project's sample is data/s1.dat: start ascent in data/, or copy it here.");
    }
    throw;
  }
}

int run_session(Session& session, std::FILE* report_stream) {
  try {
    session.run_dialogue();
    return 0;
  } catch (const Interrupted& interruption) {
    // Every file is flushed on a whole line; a prompt that got no answer is
    // ended, so that the shell's next line starts on a line of its own.
    session.io.console().end_open_line();
    session.io.abandon();
    return 128 + interruption.signal();
  } catch (const RuntimeError& failure) {
    session.io.abandon();
    // A report that cannot reach its stream (a full disk behind the standard
    // output, say) goes to the standard error: a failure is never silent.
    if (!write_failure_report(failure, report_stream) && report_stream != stderr) {
      write_failure_report(failure, stderr);
    }
    return failure.code();
  }
}

}  // namespace ascent
