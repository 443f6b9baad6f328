// The window as a command on another thread sees it. The window takes a snapshot of its
// entries when the command starts; the command draws, shows progress and raises messages
// here, and the window's own thread takes what has piled up a few times a second and
// shows it. The command thread stays the only writer of the report files and the window
// thread the only one that touches widgets.
//
// What the window takes is the picture since its last clear (a sweep clears it for every
// run, so whatever was drawn before a clear is dropped on the command's side, never
// copied), the latest text of every progress display drawn with it, and the messages.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "common/recording_surface.h"
#include "quorvel/run/run_window.h"

namespace quorvel {

class RelayWindow : public RunWindow, public common::MessageSink {
 public:
  // `entries`: the texts of the entries by number; `width` and `height`: the picture box's
  // scale size, fixed while a command runs.
  RelayWindow(std::map<int, std::string> entries, float width, float height);

  // --- The command's side ------------------------------------------------------------------
  std::string EntryText(int index) const override;
  void ShowProgress(int box, const std::string& text) override;
  // The window has run its validation pass before it took the snapshot.
  void ValidateEntries() override {}
  common::DrawingSurface& Picture() override { return surface_; }
  common::MessageSink& Messages() override { return *this; }
  void ShowMessage(const std::string& text) override;
  bool StopRequested() const override { return stop_.load(std::memory_order_relaxed); }
  void SweepStarted(size_t runs) override { runsPlanned_.store(runs, std::memory_order_relaxed); }
  void RunsEnded(size_t runs) override { runsEnded_.store(runs, std::memory_order_relaxed); }
  // Hands over everything drawn so far (the command calls it when it ends).
  void Flush();

  // --- Any thread ---------------------------------------------------------------------------
  void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
  // The runs of the sweep under way; 0 for a single run or before the sweep begins.
  size_t RunsPlanned() const { return runsPlanned_.load(std::memory_order_relaxed); }
  // Runs of a sweep that have ended with their outcome written.
  size_t RunsEnded() const { return runsEnded_.load(std::memory_order_relaxed); }

  // --- The window's side --------------------------------------------------------------------
  struct Update {
    bool Cleared = false;  // clear the picture before drawing Drawn
    std::vector<common::Primitive> Drawn;
    std::map<int, std::string> Progress;
    std::vector<std::string> Messages;
    bool Empty() const { return !Cleared && Drawn.empty() && Progress.empty() && Messages.empty(); }
  };
  // What has been handed over since the last call.
  Update Take();

 private:
  // Records on the command's thread and hands over in batches: at a clear or a forced
  // refresh, and otherwise at most every kHandOver.
  class Surface : public common::DrawingSurface {
   public:
    Surface(RelayWindow& relay, float width, float height)
        : relay_(relay), width_(width), height_(height) {}
    float ScaleWidth() const override { return width_; }
    float ScaleHeight() const override { return height_; }
    void SetForeColour(common::Colour colour) override { colour_ = colour; }
    void Point(float x, float y) override { Add(common::Primitive::Kind::Point, x, y, 0, 0); }
    void Line(float x1, float y1, float x2, float y2) override {
      Add(common::Primitive::Kind::Line, x1, y1, x2, y2);
    }
    void Circle(float x, float y, float radius) override {
      Add(common::Primitive::Kind::Circle, x, y, radius, 0);
    }
    void SetCurrentPosition(float x, float y) override {
      x_ = x;
      y_ = y;
    }
    void Print(const std::string& text) override;
    void Clear() override;
    void Refresh(bool force) override;

   private:
    void Add(common::Primitive::Kind kind, float x1, float y1, float x2, float y2);
    friend class RelayWindow;

    RelayWindow& relay_;
    float width_, height_;
    common::Colour colour_ = 0;
    float x_ = 0, y_ = 0;
    std::vector<common::Primitive> drawn_;  // since the last hand-over
    bool cleared_ = false;                  // a clear since the last hand-over
    std::map<int, std::string> progress_;   // shown with what is drawn
    unsigned sinceClock_ = 0;
    std::chrono::steady_clock::time_point lastHandOver_ = std::chrono::steady_clock::now();
  };
  void HandOver();
  void HandOverWhenDue();

  static constexpr std::chrono::milliseconds kHandOver{15};

  const std::map<int, std::string> entries_;
  Surface surface_;
  std::atomic<bool> stop_{false};
  std::atomic<size_t> runsPlanned_{0};
  std::atomic<size_t> runsEnded_{0};

  std::mutex mutex_;
  Update pending_;  // guarded by mutex_
};

}  // namespace quorvel
