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

TEST(OrderedExecutor, AFailedJobIsRethrownAtItsPlaceAndNoLaterJobStarts) {
  std::vector<size_t> seen;
  auto failAtThree = [](size_t i, unsigned) -> size_t {
    if (i == 3) throw std::runtime_error("run 3 failed");
    return i;
  };
  EXPECT_THROW(
      RunInOrder<size_t>(20, 2, failAtThree, [&](size_t i, size_t&) { seen.push_back(i); }),
      std::runtime_error);
  EXPECT_EQ(seen, (std::vector<size_t>{0, 1, 2}));

  // Nothing is handed back meanwhile, so only the failure can hold the worker.
  std::atomic<size_t> started{0};
  OrderedExecutor<size_t> executor(20, 1, [&](size_t i, unsigned w) {
    ++started;
    return failAtThree(i, w);
  });
  while (executor.Completed() < 4) std::this_thread::sleep_for(milliseconds(1));
  std::this_thread::sleep_for(milliseconds(20));
  EXPECT_EQ(started.load(), 4u);
}

TEST(OrderedExecutor, DeliverReadyNeverWaitsAndTheLookAheadBoundsWhatWaits) {
  std::atomic<bool> release{false};
  std::atomic<size_t> started{0};
  OrderedExecutor<int> executor(
      6, 3,
      [&](size_t i, unsigned) {
        ++started;
        while (i == 0 && !release) std::this_thread::sleep_for(milliseconds(1));
        return static_cast<int>(i);
      },
      2);
  std::vector<int> seen;
  auto take = [&](size_t, int& r) { seen.push_back(r); };
  // Job 0 holds the order back, however many later results are ready.
  EXPECT_EQ(executor.DeliverReady(take), 0u);
  EXPECT_FALSE(executor.Finished());
  // With a look-ahead of 2, job 1 may run beside job 0 and no other, with a thread free.
  while (executor.Completed() < 1) std::this_thread::sleep_for(milliseconds(1));
  std::this_thread::sleep_for(milliseconds(20));
  EXPECT_EQ(started.load(), 2u);
  release = true;
  while (!executor.Finished()) executor.DeliverWaiting(take, milliseconds(50));
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(executor.Completed(), 6u);
}

}  // namespace
}  // namespace quorvel
