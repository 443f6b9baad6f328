// What a Start command needs of the window, so that the whole command runs without Qt:
// the entries, the progress displays, the validation pass, the picture box and the
// message box. The window implements it over its controls; tests over plain strings.
#pragma once

#include <string>

#include "common/drawing_surface.h"

namespace quorvel {

// Entry numbers the run layer reads (the window's txt(i)).
enum Entry : int {
  kEntryU = 0,
  kEntryW = 1,
  kEntryS = 2,
  kEntryK = 3,
  kEntryStartA = 4,  // start frequencies of a, b, c: 4, 5, 6
  kEntryZ = 7,
  kEntryIterations = 8,
  kEntryLog10N = 9,
  kEntryDemes = 10,
  kEntryDiffusion = 11,
  kEntryInversionPeriod = 12,
  kEntryHaplotypeAb = 13,  // ab, Ab, aB, AB: 13 to 16
  kEntryMaxGen = 17,
  kEntryLoopFrom = 18,
  kEntryLoopTo = 19,
  kEntryStartRPlus = 20,
  kEntrySaveDirectory = 30,
  // The progress displays of the loops.
  kShowS = 37,
  kShowK = 38,
  kShowLog10N = 39,
  kShowIteration = 40,
};

class RunWindow {
 public:
  virtual ~RunWindow() = default;
  // The current text of the entry txt(index).
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
};

}  // namespace quorvel
