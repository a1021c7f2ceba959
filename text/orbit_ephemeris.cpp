#include "text/orbit_ephemeris.hpp"

#include <cstdio>
#include <string>

#include "base/runtime_error.hpp"
#include "text/whole_file.hpp"

namespace ascent {

namespace {

/// "KEYWORD = value", the keyword padded so that the values line up.
void append_keyword(std::string& oem, const char* keyword, const std::string& value) {
  if (value.find_first_of("\r\n") != std::string::npos) {
    throw InputError(ErrorCode::range_check,
                     std::string("the ephemeris' ") + keyword + " holds a line end");
  }
  char text[32];
  std::snprintf(text, sizeof text, "%-16s = ", keyword);
  oem += text;
  oem += value;
  oem += '\n';
}

/// Positions to the micrometre, velocities to the nanometre per second.
void append_state(std::string& oem, const OrbitEphemeris::State& state) {
  char text[256];
  std::snprintf(text, sizeof text, " %.9f %.9f %.9f %.12f %.12f %.12f\n", state.position.x() / 1e3,
                state.position.y() / 1e3, state.position.z() / 1e3, state.velocity.x() / 1e3,
                state.velocity.y() / 1e3, state.velocity.z() / 1e3);
  oem += state.epoch.iso();
  oem += text;
}

}  // namespace

std::string oem_text(const OrbitEphemeris& ephemeris) {
  if (ephemeris.states.empty()) {
    throw InputError(ErrorCode::range_check, "an ephemeris needs at least one state");
  }
  // Readers interpolate between the states: each must be a number, each
  // epoch after the one before.
  for (std::size_t i = 0; i < ephemeris.states.size(); ++i) {
    const OrbitEphemeris::State& state = ephemeris.states[i];
    if (!state.position.allFinite() || !state.velocity.allFinite()) {
      throw InputError(ErrorCode::range_check,
                       "state " + std::to_string(i) + " of the ephemeris is not finite");
    }
    if (i > 0 && !(ephemeris.states[i - 1].epoch.microseconds < state.epoch.microseconds)) {
      throw InputError(ErrorCode::range_check, "the epochs of the ephemeris must increase: state " +
                                                   std::to_string(i) + " is not after the one before");
    }
  }
  std::string oem;
  append_keyword(oem, "CCSDS_OEM_VERS", "2.0");
  append_keyword(oem, "CREATION_DATE", ephemeris.creation_date.iso());
  append_keyword(oem, "ORIGINATOR", ephemeris.originator);
  oem += "\nMETA_START\n";
  append_keyword(oem, "OBJECT_NAME", ephemeris.object_name);
  append_keyword(oem, "OBJECT_ID", ephemeris.object_id);
  append_keyword(oem, "CENTER_NAME", "EARTH");
  append_keyword(oem, "REF_FRAME", ephemeris.reference_frame);
  append_keyword(oem, "TIME_SYSTEM", "UTC");
  append_keyword(oem, "START_TIME", ephemeris.states.front().epoch.iso());
  append_keyword(oem, "STOP_TIME", ephemeris.states.back().epoch.iso());
  oem += "META_STOP\n\n";
  for (const OrbitEphemeris::State& state : ephemeris.states) append_state(oem, state);
  return oem;
}

void write_oem(const std::filesystem::path& path, const OrbitEphemeris& ephemeris) {
  write_whole_file(path, oem_text(ephemeris));
}

}  // namespace ascent
