// tessaline's reactions to the user's events, put together from its pieces: the catalogue
// fills the grid, the run driver runs the selected simulation through the plotter and the
// output file, and validation keeps the grid's values within their bounds. It reads and
// writes the window only through FormControls, draws on a DrawingSurface and shows
// messages through a MessageSink, so all of it runs without Qt.
#pragma once

#include <cstdint>

#include "common/drawing_surface.h"
#include "tessaline/core/controls.h"
#include "tessaline/core/output_file.h"
#include "tessaline/core/plotting.h"
#include "tessaline/core/run.h"

namespace tessaline {

class Program {
 public:
  Program(FormControls& controls, common::DrawingSurface& surface, common::MessageSink& messages,
          OutputMode outputMode = OutputMode::Window)
      : controls_(controls),
        surface_(surface),
        outputFile_(outputMode),
        plotter_(controls, surface, outputFile_),
        run_(controls, surface, plotter_, outputFile_, messages) {}
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Selects simulation index (1 to 3): fills the grid with its presets, runs it and
  // prints its curve labels.
  void cmd_Click(int16_t index);
  // Runs the selected simulation with the values in the grid.
  RunOutcome Execute_Click() { return run_.Execute(); }
  // Validates value box index when it loses the focus.
  void txt_LostFocus(int16_t index);
  // The points of the last run, curve by curve.
  const std::vector<PlottedPoint>& Points() const { return plotter_.Points(); }

  // The last run's output file could not be written completely.
  bool OutputFailed() const { return outputFile_.Failed(); }

 private:
  FormControls& controls_;
  common::DrawingSurface& surface_;
  OutputFile outputFile_;
  Plotter plotter_;
  RunDriver run_;
};

}  // namespace tessaline
