// Sweeps: the turn times generated, the same rows on any number of threads,
// each row as soon as it and those before it are done, the largest feasible
// payload, and failing turn times that end only their rows.
#include "studies/sweep.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "studies/trim_testing.hpp"

namespace ascent::testing {
namespace {

using studies::SweepRow;
using studies::TurnTimes;
using studies::TypedNumber;

TurnTimes texts(std::initializer_list<const char*> list) {
  std::vector<TypedNumber> out;
  for (const char* text : list) out.push_back(*studies::typed_number(text));
  return TurnTimes::listed(out);
}

/// Every row of a sweep, in the order handed on.
std::vector<SweepRow> rows_of(const studies::TrimSettings& settings, const TurnTimes& times,
                              unsigned threads) {
  std::vector<SweepRow> rows;
  const std::size_t handed = studies::sweep(
      settings, times, [&](const SweepRow& row) { rows.push_back(row); }, threads);
  EXPECT_EQ(handed, rows.size());
  return rows;
}

TEST(TurnTimes, LandOnTheEndAndReadAsTyped) {
  const TurnTimes times = TurnTimes::between(10.0, 11.0, 0.1);
  ASSERT_EQ(times.size(), 11u);
  EXPECT_EQ(times[0].text, "10");
  EXPECT_EQ(times[3].text, "10.3");
  EXPECT_EQ(times[10].text, "11");
  for (std::size_t i = 0; i < times.size(); ++i) {
    EXPECT_EQ(times[i].value, std::strtod(times[i].text.c_str(), nullptr));
  }
  EXPECT_EQ(TurnTimes::between(10.0, 10.0, 1.0).size(), 1u);
  EXPECT_EQ(TurnTimes::between(10.0, 12.5, 1.0)[2].text, "12");
  // A million turn times are counted, not made.
  EXPECT_EQ(TurnTimes::between(1.0, 1000.0, 999.0 / 999999.0).size(), 1000000u);
  EXPECT_THROW(TurnTimes::between(1.0, 1000.0, 0.000999), InputError);
  EXPECT_THROW(TurnTimes::between(10.0, 20.0, 0.0), InputError);
  EXPECT_THROW(TurnTimes::between(20.0, 10.0, 1.0), InputError);
}

TEST(Sweep, OneThreadAndAllCoresGiveIdenticalRowsInOrder) {
  // 121 s is refused by the program: a failed row between trimmed ones.
  const TurnTimes times = texts({"12", "121", "20", "28"});
  const std::vector<SweepRow> single = rows_of(sample_settings(), times, 1);
  const std::vector<SweepRow> all = rows_of(sample_settings(), times, 0);
  ASSERT_EQ(single.size(), times.size());
  ASSERT_EQ(all.size(), times.size());
  for (std::size_t i = 0; i < times.size(); ++i) {
    SCOPED_TRACE(times[i].text);
    EXPECT_EQ(all[i].index, i);
    EXPECT_EQ(all[i].turn_time.text, times[i].text);
    EXPECT_EQ(all[i].status, single[i].status);
    EXPECT_EQ(all[i].message, single[i].message);
    EXPECT_EQ(all[i].maxa.text, single[i].maxa.text);
    EXPECT_EQ(all[i].flights, single[i].flights);
    EXPECT_EQ(all[i].flight.average_altitude, single[i].flight.average_altitude);
    EXPECT_EQ(all[i].flight.SC_M, single[i].flight.SC_M);
    EXPECT_EQ(all[i].flight.remaining_propellant, single[i].flight.remaining_propellant);
  }
  EXPECT_EQ(single[1].status, studies::TrimStatus::turn_time_rejected);
  for (const std::size_t i : {0u, 2u, 3u}) EXPECT_TRUE(single[i].trimmed()) << single[i].message;
  // A sweep row is the trim of that turn time alone.
  EXPECT_EQ(single[2].maxa.text, trimmed_at_20s().maxa.text);
  EXPECT_EQ(single[2].flights, trimmed_at_20s().flights.size());
}

TEST(Sweep, LargestPayloadIsTheBestFeasibleRow) {
  studies::LargestPayload largest;
  const double payloads[] = {97000.0, 99000.0, 98000.0, 98500.0, 98500.0};
  std::vector<SweepRow> rows(5);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i].index = i;
    rows[i].status = studies::TrimStatus::trimmed;
    rows[i].flight.SC_M = payloads[i];
    rows[i].flight.outcome = Outcome::in_orbit;
  }
  rows[1].flight.outcome = Outcome::short_of_propellant;  // trimmed, but no answer
  for (const SweepRow& row : rows) largest.offer(row);
  ASSERT_TRUE(largest.best());
  EXPECT_EQ(largest.best()->index, 3u);  // the first of equals
  studies::LargestPayload none;
  rows[0].status = studies::TrimStatus::not_converged;
  none.offer(rows[0]);
  none.offer(rows[1]);
  EXPECT_FALSE(none.best());
}

TEST(Sweep, ATurnTimeThatCannotBeFlownEndsOnlyItsRow) {
  // The history ends before booster separation: every flight fails, and
  // each row says why, on one thread and on several.
  studies::TrimSettings settings = sample_settings();
  settings.thrust = cut_thrust_history(50);
  for (const unsigned threads : {1u, 2u}) {
    const std::vector<SweepRow> rows = rows_of(settings, texts({"10", "20", "30"}), threads);
    ASSERT_EQ(rows.size(), 3u);
    for (const SweepRow& row : rows) {
      EXPECT_EQ(row.status, studies::TrimStatus::cannot_be_flown);
      EXPECT_NE(row.message.find("ends after record 50"), std::string::npos) << row.message;
    }
  }
}

TEST(Sweep, AStopEndsItAndRowsComeAsTheyAreDone) {
  const TurnTimes times = TurnTimes::between(10.0, 40.0, 1.0);
  for (const unsigned threads : {1u, 3u}) {
    std::vector<std::size_t> seen;
    const std::size_t handed = studies::sweep(
        sample_settings(), times, [&](const SweepRow& row) { seen.push_back(row.index); }, threads,
        [&] { return seen.size() >= 4; });
    EXPECT_EQ(handed, 4u);
    EXPECT_EQ(seen, (std::vector<std::size_t>{0, 1, 2, 3}));
  }
}

}  // namespace
}  // namespace ascent::testing
