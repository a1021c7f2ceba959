// Sweeps: the turn times generated, the same results on any number of
// threads, the largest payload, and failures that stop the sweep.
#include "tools/trim/sweep.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "base/runtime_error.hpp"
#include "tools/trim_testing.hpp"

namespace ascent::testing {
namespace {

using trim::TypedNumber;

std::vector<TypedNumber> texts(std::initializer_list<const char*> list) {
  std::vector<TypedNumber> out;
  for (const char* text : list) out.push_back(*trim::typed_number(text));
  return out;
}

TEST(TurnTimesBetween, LandOnTheEndAndReadAsTyped) {
  const std::vector<TypedNumber> times = trim::turn_times_between(10.0, 11.0, 0.1);
  ASSERT_EQ(times.size(), 11u);
  EXPECT_EQ(times.front().text, "10");
  EXPECT_EQ(times[3].text, "10.3");
  EXPECT_EQ(times.back().text, "11");
  for (const TypedNumber& t : times) EXPECT_EQ(t.value, std::strtod(t.text.c_str(), nullptr));

  EXPECT_EQ(trim::turn_times_between(10.0, 10.0, 1.0).size(), 1u);
  EXPECT_EQ(trim::turn_times_between(10.0, 12.5, 1.0).back().text, "12");
  EXPECT_THROW(trim::turn_times_between(10.0, 20.0, 0.0), std::invalid_argument);
  EXPECT_THROW(trim::turn_times_between(20.0, 10.0, 1.0), std::invalid_argument);
}

TEST(Sweep, OneThreadAndAllCoresGiveIdenticalResults) {
  // 121 s is refused by the program: a failed row between trimmed ones.
  const std::vector<TypedNumber> times = texts({"12", "121", "20", "28"});
  std::vector<std::size_t> reported;
  const auto single = trim::sweep(sample_settings(), times, 1);
  const auto all =
      trim::sweep(sample_settings(), times, 0, [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, times.size());
        reported.push_back(done);
      });
  EXPECT_EQ(reported, (std::vector<std::size_t>{1, 2, 3, 4}));

  ASSERT_EQ(single.size(), times.size());
  ASSERT_EQ(all.size(), times.size());
  for (std::size_t i = 0; i < times.size(); ++i) {
    SCOPED_TRACE(times[i].text);
    EXPECT_EQ(all[i].turn_time.text, times[i].text);
    EXPECT_EQ(all[i].status, single[i].status);
    EXPECT_EQ(all[i].message, single[i].message);
    EXPECT_EQ(all[i].maxa.text, single[i].maxa.text);
    EXPECT_EQ(all[i].flights.size(), single[i].flights.size());
    EXPECT_EQ(all[i].flight.average_altitude, single[i].flight.average_altitude);
    EXPECT_EQ(all[i].flight.SC_M, single[i].flight.SC_M);
    EXPECT_EQ(all[i].flight.remaining_propellant, single[i].flight.remaining_propellant);
  }
  EXPECT_EQ(single[1].status, trim::TrimStatus::turn_time_rejected);
  for (const std::size_t i : {0u, 2u, 3u}) EXPECT_TRUE(single[i].trimmed()) << single[i].message;
  // A sweep row is the trim of that turn time alone.
  EXPECT_EQ(single[2].maxa.text, trimmed_at_20s().maxa.text);
}

TEST(Sweep, LargestPayloadIsTheBestTrimmedRow) {
  std::vector<trim::TrimResult> rows(4);
  const double payloads[] = {97000.0, 99000.0, 98000.0, 98500.0};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i].status = trim::TrimStatus::trimmed;
    rows[i].flight.SC_M = payloads[i];
  }
  EXPECT_EQ(trim::largest_payload(rows), 1u);
  rows[1].status = trim::TrimStatus::not_converged;  // its SC_M is no answer
  EXPECT_EQ(trim::largest_payload(rows), 3u);
  rows[2].flight.SC_M = 98500.0;  // equals: the first one
  EXPECT_EQ(trim::largest_payload(rows), 2u);
  for (trim::TrimResult& r : rows) r.status = trim::TrimStatus::out_of_reach;
  EXPECT_FALSE(trim::largest_payload(rows));
}

TEST(Sweep, AFlightFailureStopsTheSweepAndIsThrown) {
  trim::TrimSettings settings = sample_settings();
  settings.thrust = cut_thrust_history(50);
  EXPECT_THROW(trim::sweep(settings, texts({"10", "20", "30", "40", "50"}), 2), RuntimeError);
}

}  // namespace
}  // namespace ascent::testing
