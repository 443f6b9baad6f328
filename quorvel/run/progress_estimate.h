// How far a command has come and how long it has left, as the window's title shows it
// while a sweep runs. Plain arithmetic on the runs done and the time since the start, so
// that the same rule serves the window and any other front end.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace quorvel {

class ProgressEstimate {
 public:
  explicit ProgressEstimate(size_t total) : total_(total) {}

  // `done` runs have ended `seconds` after the command started.
  void Update(size_t done, double seconds);

  size_t Done() const { return done_; }
  size_t Total() const { return total_; }
  // Seconds left at the mean pace so far; none before the first run has ended.
  std::optional<double> SecondsLeft() const;

 private:
  size_t total_;
  size_t done_ = 0;
  double seconds_ = 0;
};

// "3 h 05 min", "4 min 09 s", "12 s", "less than 1 s": the two largest units, rounded up
// so that the estimate reaches 0 only at the end.
std::string FormatDuration(double seconds);

// "12 / 820 runs, about 4 min 09 s left" (the estimate once there is one).
std::string ProgressText(const ProgressEstimate& progress);

}  // namespace quorvel
