// The run: it clears the picture, opens the output file, runs the selected simulation
// curve after curve through its recurrence, plotting every point, and closes the file.
#pragma once

#include <cstdint>

#include "common/drawing_surface.h"
#include "tessaline/core/controls.h"
#include "tessaline/core/output_file.h"
#include "tessaline/core/plotting.h"
#include "tessaline/core/simulations.h"

namespace tessaline {

inline constexpr const char* kRunStoppedMessage =
    "The simulation was stopped: with these values its numbers leave the range that can be "
    "computed. The curves drawn so far are kept.";

// The values read by every simulation at the start of a run.
struct CommonParameters {
  float n = 0;         // row 1: generations (or time units) shown on the horizontal axis
  float step = 0;      // row 2: generations between plotted points
  int16_t curves = 0;  // row 3
};

enum class RunOutcome {
  NotRun,     // row 1 is empty: only the picture was cleared
  Completed,  // every curve drawn (or no simulation selected)
  Stopped,    // the numbers left the computable range; the curves drawn so far are kept
};

class RunDriver {
 public:
  RunDriver(FormControls& controls, common::DrawingSurface& surface, Plotter& plotter,
            OutputFile& outputFile, common::MessageSink& messages)
      : controls_(controls),
        surface_(surface),
        plotter_(plotter),
        outputFile_(outputFile),
        messages_(messages) {}

  // Runs the simulation named by the title's tag with the values in the grid.
  RunOutcome Execute();

 private:
  CommonParameters ReadCommonParameters();
  // False when the run must stop.
  bool Simulate(const Simulation& simulation);

  FormControls& controls_;
  common::DrawingSurface& surface_;
  Plotter& plotter_;
  OutputFile& outputFile_;
  common::MessageSink& messages_;
};

}  // namespace tessaline
