// Work given a head start: its result is the work's whether its thread or the taker runs it,
// each piece runs once, and work dropped untaken never runs after the drop.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ui/panels/HeadStart.h"

using namespace tarnwick;

TEST(HeadStart, givesTheResultOnceWhoeverRunsItAndNothingRunsAfterADrop) {
  std::atomic<int> runs = 0;
  for (int i = 0; i < 200; ++i) {
    HeadStart<int> work([&runs, i] { return ++runs, i * i; });
    if (i % 2 == 1) std::this_thread::sleep_for(std::chrono::microseconds(200));
    ASSERT_TRUE(work.Started());
    EXPECT_EQ(work.Take(), i * i);
    EXPECT_FALSE(work.Started());
  }
  EXPECT_EQ(runs, 200);
  for (int i = 0; i < 50; ++i) {
    int ran = 0;  // written by a run only before the drop returns
    {
      HeadStart<int> dropped([&ran] { return ++ran; });
    }
    const int seen = ran;
    std::this_thread::sleep_for(std::chrono::microseconds(300));
    EXPECT_EQ(ran, seen);
  }
}
