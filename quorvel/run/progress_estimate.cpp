#include "quorvel/run/progress_estimate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quorvel {

void ProgressEstimate::Update(size_t done, double seconds) {
  done_ = std::min(done, total_);
  seconds_ = std::max(seconds, 0.0);
}

std::optional<double> ProgressEstimate::SecondsLeft() const {
  if (done_ == 0) return std::nullopt;
  const double perRun = seconds_ / static_cast<double>(done_);
  return perRun * static_cast<double>(total_ - done_);
}

std::string FormatDuration(double seconds) {
  if (!(seconds >= 1)) return "less than 1 s";
  // Beyond a few thousand years the estimate means nothing; keep the text short.
  const double whole = std::ceil(std::min(seconds, 1e11));
  const auto total = static_cast<long long>(whole);
  char text[64];
  if (total >= 3600) {
    const long long minutes = (total + 59) / 60;
    std::snprintf(text, sizeof text, "%lld h %02lld min", minutes / 60, minutes % 60);
  } else if (total >= 60) {
    std::snprintf(text, sizeof text, "%lld min %02lld s", total / 60, total % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld s", total);
  }
  return text;
}

std::string ProgressText(const ProgressEstimate& progress) {
  std::string text = std::to_string(progress.Done()) + " / " + std::to_string(progress.Total()) +
                     (progress.Total() == 1 ? " run" : " runs");
  if (progress.Done() < progress.Total()) {
    if (const std::optional<double> left = progress.SecondsLeft())
      text += ", about " + FormatDuration(*left) + " left";
  }
  return text;
}

}  // namespace quorvel
