#include "quorvel/run/relay_window.h"

#include <utility>

namespace quorvel {

RelayWindow::RelayWindow(std::map<int, std::string> entries, float width, float height)
    : entries_(std::move(entries)), surface_(*this, width, height) {}

std::string RelayWindow::EntryText(int index) const {
  const auto it = entries_.find(index);
  return it == entries_.end() ? std::string() : it->second;
}

void RelayWindow::ShowProgress(int box, const std::string& text) {
  surface_.progress_[box] = text;
  HandOverWhenDue();
}

void RelayWindow::ShowMessage(const std::string& text) {
  HandOver();  // what led to the message is shown with it
  std::lock_guard lock(mutex_);
  pending_.Messages.push_back(text);
}

void RelayWindow::Flush() {
  HandOver();
}

void RelayWindow::HandOverWhenDue() {
  if (std::chrono::steady_clock::now() - surface_.lastHandOver_ >= kHandOver) HandOver();
}

void RelayWindow::HandOver() {
  Surface& s = surface_;
  s.lastHandOver_ = std::chrono::steady_clock::now();
  std::lock_guard lock(mutex_);
  if (s.cleared_) {
    pending_.Cleared = true;
    pending_.Drawn.clear();
    s.cleared_ = false;
  }
  if (pending_.Drawn.empty()) {
    pending_.Drawn.swap(s.drawn_);
  } else {
    pending_.Drawn.insert(pending_.Drawn.end(), s.drawn_.begin(), s.drawn_.end());
  }
  s.drawn_.clear();
  for (auto& [box, text] : s.progress_) pending_.Progress[box] = std::move(text);
  s.progress_.clear();
}

RelayWindow::Update RelayWindow::Take() {
  std::lock_guard lock(mutex_);
  return std::exchange(pending_, Update{});
}

void RelayWindow::Surface::Add(common::Primitive::Kind kind, float x1, float y1, float x2,
                               float y2) {
  drawn_.push_back({kind, colour_, x1, y1, x2, y2, {}});
  // Look at the clock now and then only: a sweep draws millions of segments.
  if ((++sinceClock_ & 1023u) == 0) [[unlikely]]
    relay_.HandOverWhenDue();
}

void RelayWindow::Surface::Print(const std::string& text) {
  drawn_.push_back({common::Primitive::Kind::Text, colour_, x_, y_, 0, 0, text});
}

void RelayWindow::Surface::Clear() {
  drawn_.clear();
  cleared_ = true;
}

void RelayWindow::Surface::Refresh(bool force) {
  if (force) {
    relay_.HandOver();
  } else {
    relay_.HandOverWhenDue();
  }
}

}  // namespace quorvel
