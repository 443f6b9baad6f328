// What a Start command needs of the window, so that the whole command runs without Qt:
// the entries, the progress displays, the validation pass, the picture box and the
// message box. The window implements it over its controls; tests over plain strings.
#pragma once

#include <cstddef>
#include <string>

#include "common/drawing_surface.h"
#include "quorvel/params/entries.h"

namespace quorvel {

class RunWindow {
 public:
  virtual ~RunWindow() = default;
  // The current text of box `index` (an Entry); empty for a number without a box.
  virtual std::string EntryText(int index) const = 0;
  // Sets the text of the progress display txt(box), box 37 to 40, and shows it: a command
  // never returns to the event loop while it runs, so the window repaints the box itself
  // (at once, or within a frame of its last repaint together with the next repaint).
  virtual void ShowProgress(int box, const std::string& text) = 0;
  // The window's validation pass over all entries (it may rewrite entry texts).
  virtual void ValidateEntries() = 0;
  // The picture box the curves are drawn on.
  virtual common::DrawingSurface& Picture() = 0;
  // The modal message box with one OK button.
  virtual common::MessageSink& Messages() = 0;
  // True once the user has asked the command to stop: the run in progress ends after its
  // current generation and no other starts.
  virtual bool StopRequested() const { return false; }
  // A sweep of `runs` runs begins.
  virtual void SweepStarted(size_t runs) { (void)runs; }
  // A sweep's run has ended and its outcome is written: `runs` of the sweep so far.
  virtual void RunsEnded(size_t runs) { (void)runs; }
};

}  // namespace quorvel
