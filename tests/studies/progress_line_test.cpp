// The time left that the progress line of a long study shows.
#include <gtest/gtest.h>

#include "trim/progress_line.hpp"

namespace ascent::trim {
namespace {

TEST(ProgressLine, TimeLeftFollowsThePaceSoFar) {
  // 100 of 1000 in 10 s: 900 more at 0.1 s each.
  EXPECT_EQ(time_left(10.0, 100, 1000), "about 90 s left");
  // Past two minutes the seconds are noise: 3 of 4 left at 100 s each.
  EXPECT_EQ(time_left(100.0, 1, 4), "about 5 min left");
  EXPECT_EQ(time_left(10.0, 1000, 1000), "about 0 s left");
}

TEST(ProgressLine, NoTimeLeftBeforeAnyIsDone) {
  EXPECT_EQ(time_left(5.0, 0, 10), "");
  EXPECT_EQ(time_left(5.0, 11, 10), "");
}

}  // namespace
}  // namespace ascent::trim
