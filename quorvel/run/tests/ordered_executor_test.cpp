#include "quorvel/run/ordered_executor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace quorvel {
namespace {

using std::chrono::milliseconds;

TEST(OrderedExecutor, HandsResultsBackInOrderOnTheCallingThread) {
  for (unsigned threads : {1u, 2u, 3u}) {
    const size_t count = 12;
    std::vector<size_t> seen;
    const std::thread::id caller = std::this_thread::get_id();
    const size_t delivered = RunInOrder<size_t>(
        count, threads,
        [&](size_t i, unsigned worker) {
          EXPECT_LT(worker, threads);
          // Early jobs take longest, so later ones finish first on several threads.
          std::this_thread::sleep_for(milliseconds(static_cast<int>(count - i)));
          return i * i;
        },
        [&](size_t i, size_t& result) {
          EXPECT_EQ(std::this_thread::get_id(), caller);
          EXPECT_EQ(result, i * i);
          seen.push_back(i);
        });
    EXPECT_EQ(delivered, count);
    ASSERT_EQ(seen.size(), count) << threads << " threads";
    for (size_t i = 0; i < count; ++i) EXPECT_EQ(seen[i], i);
  }
}

TEST(OrderedExecutor, StopFinishesTheJobsInFlightAndHandsThemBack) {
  std::atomic<size_t> started{0};
  std::vector<size_t> seen;
  const size_t delivered = RunInOrder<size_t>(
      1000, 2,
      [&](size_t i, unsigned) {
        ++started;
        std::this_thread::sleep_for(milliseconds(2));
        return i;
      },
      // Stop as soon as a job has started, however slowly the workers get going.
      [&](size_t i, size_t&) { seen.push_back(i); }, [&] { return started.load() == 0; },
      milliseconds(1));
  EXPECT_GE(delivered, 1u);
  EXPECT_LT(delivered, 1000u);
  EXPECT_EQ(delivered, started.load());  // every started job was handed back
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], i);
}

TEST(OrderedExecutor, AFailedJobIsRethrownAtItsPlace) {
  std::vector<size_t> seen;
  EXPECT_THROW(RunInOrder<size_t>(
                   20, 2,
                   [](size_t i, unsigned) -> size_t {
                     if (i == 3) throw std::runtime_error("run 3 failed");
                     return i;
                   },
                   [&](size_t i, size_t&) { seen.push_back(i); }),
               std::runtime_error);
  EXPECT_EQ(seen, (std::vector<size_t>{0, 1, 2}));
}

TEST(OrderedExecutor, DeliverReadyNeverWaits) {
  std::atomic<bool> release{false};
  OrderedExecutor<int> executor(3, 2, [&](size_t i, unsigned) {
    while (i == 0 && !release) std::this_thread::sleep_for(milliseconds(1));
    return static_cast<int>(i);
  });
  std::vector<int> seen;
  auto take = [&](size_t, int& r) { seen.push_back(r); };
  // Job 0 holds the order back, however many later results are ready.
  EXPECT_EQ(executor.DeliverReady(take), 0u);
  EXPECT_FALSE(executor.Finished());
  release = true;
  while (!executor.Finished()) executor.DeliverWaiting(take, milliseconds(50));
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(executor.Completed(), 3u);
}

}  // namespace
}  // namespace quorvel
