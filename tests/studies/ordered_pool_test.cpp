// The ordered pool: rows in index order whatever the threads, a failure
// thrown in its place after the rows before it, and a stop that reaches the
// computations under way.
#include "studies/ordered_pool.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace ascent::testing {

using studies::OrderedPool;
using studies::run_in_order;

namespace {

using namespace std::chrono_literals;

TEST(OrderedPool, HandsRowsOnInOrderAndAFailureInItsPlace) {
  for (const unsigned threads : {1u, 4u}) {
    SCOPED_TRACE(threads);
    std::vector<std::size_t> seen;
    EXPECT_THROW(run_in_order<std::size_t>(
                     40, threads,
                     [](std::size_t index, const std::stop_token&) {
                       // Later rows finish first.
                       std::this_thread::sleep_for(std::chrono::microseconds(40 - index) * 50);
                       if (index == 25) throw std::runtime_error("row 25");
                       return index * index;
                     },
                     [&](std::size_t& row) { seen.push_back(row); }),
                 std::runtime_error);
    ASSERT_EQ(seen.size(), 25u);
    for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], i * i);
  }
}

TEST(OrderedPool, AStopEndsTheRunAndTheComputationsUnderWay) {
  std::size_t handed = 0;
  const auto started = std::chrono::steady_clock::now();
  const std::size_t count = run_in_order<int>(
      100, 3,
      [](std::size_t index, const std::stop_token& stopping) {
        // Rows past the second would take a minute unless told to stop.
        for (auto until = std::chrono::steady_clock::now() + 1min;
             index >= 2 && !stopping.stop_requested() && std::chrono::steady_clock::now() < until;) {
          std::this_thread::sleep_for(1ms);
        }
        return 0;
      },
      [&](int&) { ++handed; }, [&] { return std::chrono::steady_clock::now() - started > 200ms; });
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(handed, 2u);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
}

}  // namespace
}  // namespace ascent::testing
