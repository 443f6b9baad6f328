// Runs the independent runs of a sweep on several threads and hands their results back in
// run order, on the thread that asks for them: that thread alone writes the files, line
// after line, so the files are the same for any number of threads.
//
// A stop request lets the runs in flight finish and starts no other; their results are
// still handed back, so what was written ends with whole runs. The caller either blocks
// (RunInOrder, or DeliverWaiting in its own loop) or polls without blocking
// (DeliverReady, for a window's event loop or timer).
//
// A small pool of std::jthread workers rather than a task library: the runs are coarse
// (milliseconds to seconds each), so there is nothing for work stealing to balance, the
// in-order hand-back and the stop after the runs in flight are the parts that matter, and
// plain standard threads build wherever the rest of the run layer builds.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace quorvel {

// Every core of the machine (at least one).
inline unsigned DefaultThreadCount() {
  return std::max(1u, std::thread::hardware_concurrency());
}

template <class Result>
class OrderedExecutor {
 public:
  // Computes the result of job `index`; `worker` (0 to threads - 1) identifies the thread,
  // for callers that keep working values per thread.
  using Job = std::function<Result(size_t index, unsigned worker)>;
  // Takes the result of job `index`; called for index 0, 1, 2, ... in turn.
  using Consumer = std::function<void(size_t index, Result& result)>;

  // Starts `threads` workers (at least one, at most one per job) on jobs 0 to count - 1.
  // A job starts only while fewer than `ahead` results wait to be handed back, so that
  // results that are large (the rows of a run) never pile up behind a slow one.
  OrderedExecutor(size_t count, unsigned threads, Job job,
                  size_t ahead = std::numeric_limits<size_t>::max())
      : job_(std::move(job)), results_(count), errors_(count), ahead_(std::max<size_t>(ahead, 1)) {
    workerCount_ = std::clamp<size_t>(threads, 1, std::max<size_t>(count, 1));
    workers_.reserve(workerCount_);
    for (size_t w = 0; w < workerCount_; ++w)
      workers_.emplace_back([this, w] { Work(static_cast<unsigned>(w)); });
  }

  // Stops and waits for the jobs in flight; results not yet handed back are dropped.
  ~OrderedExecutor() {
    RequestStop();
    workers_.clear();  // joins
  }

  OrderedExecutor(const OrderedExecutor&) = delete;
  OrderedExecutor& operator=(const OrderedExecutor&) = delete;

  // No job starts after the ones in flight.
  void RequestStop() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    room_.notify_all();
  }

  // Hands over, in order, every result that is ready, without waiting; returns how many.
  // A job that threw has its exception rethrown here, at its place in the order.
  size_t DeliverReady(const Consumer& consume) {
    size_t count = 0;
    while (true) {
      std::optional<Result> result;
      std::exception_ptr error;
      size_t index;
      {
        std::lock_guard lock(mutex_);
        index = delivered_;
        if (index >= started_ || !(results_[index] || errors_[index])) break;
        result = std::move(results_[index]);
        results_[index].reset();
        error = errors_[index];
        ++delivered_;
      }
      room_.notify_all();
      if (error) std::rethrow_exception(error);
      consume(index, *result);
      ++count;
    }
    return count;
  }

  // Waits up to `timeout` for the next result in order (or the end), then delivers what is
  // ready as DeliverReady does.
  size_t DeliverWaiting(const Consumer& consume, std::chrono::milliseconds timeout) {
    {
      std::unique_lock lock(mutex_);
      ready_.wait_for(lock, timeout, [this] { return NextReadyLocked() || FinishedLocked(); });
    }
    return DeliverReady(consume);
  }

  // Every result that will ever come has been handed over: all jobs, or after a stop the
  // ones that had started.
  bool Finished() const {
    std::lock_guard lock(mutex_);
    return FinishedLocked();
  }

  size_t Total() const { return results_.size(); }
  // Jobs completed so far, in any order.
  size_t Completed() const {
    std::lock_guard lock(mutex_);
    return completed_;
  }
  size_t Delivered() const {
    std::lock_guard lock(mutex_);
    return delivered_;
  }

 private:
  void Work(unsigned worker) {
    while (true) {
      size_t index;
      {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [this] {
          return stop_ || started_ >= results_.size() || started_ - delivered_ < ahead_;
        });
        if (stop_ || started_ >= results_.size()) break;
        index = started_++;
      }
      std::optional<Result> result;
      std::exception_ptr error;
      try {
        result.emplace(job_(index, worker));
      } catch (...) {
        error = std::current_exception();
      }
      {
        std::lock_guard lock(mutex_);
        if (error) {
          errors_[index] = error;
          stop_ = true;  // a failed run ends the sweep after the runs in flight
        } else {
          results_[index] = std::move(result);
        }
        ++completed_;
      }
      ready_.notify_all();
    }
    {
      std::lock_guard lock(mutex_);
      ++idle_;
    }
    ready_.notify_all();
  }

  bool NextReadyLocked() const {
    return delivered_ < started_ && (results_[delivered_] || errors_[delivered_]);
  }
  bool FinishedLocked() const {
    if (delivered_ == results_.size()) return true;
    return idle_ == workerCount_ && delivered_ == started_;
  }

  Job job_;
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable room_;  // a result handed back, or a stop
  std::vector<std::optional<Result>> results_;
  std::vector<std::exception_ptr> errors_;
  size_t started_ = 0;
  size_t completed_ = 0;
  size_t delivered_ = 0;
  size_t idle_ = 0;  // workers that have ended
  size_t workerCount_ = 0;
  const size_t ahead_;
  bool stop_ = false;
  std::vector<std::jthread> workers_;  // last: joined before the rest is destroyed
};

// Runs jobs 0 to count - 1 on `threads` threads and hands the results to `consume` in
// order on the calling thread. `poll` runs on the calling thread at least every
// `interval` (progress displays); when it returns false the executor stops after the jobs
// in flight, whose results are still handed over. Returns the number of results handed
// over.
template <class Result>
size_t RunInOrder(size_t count, unsigned threads, typename OrderedExecutor<Result>::Job job,
                  const typename OrderedExecutor<Result>::Consumer& consume,
                  const std::function<bool()>& poll = {},
                  std::chrono::milliseconds interval = std::chrono::milliseconds(100)) {
  OrderedExecutor<Result> executor(count, threads, std::move(job));
  while (!executor.Finished()) {
    executor.DeliverWaiting(consume, interval);
    if (poll && !poll()) executor.RequestStop();
  }
  return executor.Delivered();
}

}  // namespace quorvel
