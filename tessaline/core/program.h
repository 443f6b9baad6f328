// What tessaline does behind its window: the catalogue of presets and the parameter grid,
// the run of the three simulations, the drawing of their points and the output file. It
// reads and writes the window only through FormControls, draws on a DrawingSurface and
// shows messages through a MessageSink, so all of it runs without Qt.
#pragma once

#include <cstdint>
#include <string>

#include "common/drawing_surface.h"
#include "platform/files.h"
#include "tessaline/core/controls.h"

namespace tessaline {

inline constexpr const char* kWrongFileNameMessage =
    "Wrong Output file name. Default name restored";
inline constexpr const char* kRunStoppedMessage =
    "The simulation was stopped: with these values its numbers leave the range that can be "
    "computed. The curves drawn so far are kept.";

// "OutputFile.txt" in the default folder: "C:\OutputFile.txt" on Windows, the user's home
// directory elsewhere.
std::string DefaultOutputFileName();

// The values read by every simulation at the start of a run.
struct CommonParameters {
  float n = 0;         // row 1: generations (or time units) shown on the horizontal axis
  float step = 0;      // row 2: generations between plotted points
  int16_t curves = 0;  // row 3
};

class Program {
 public:
  Program(FormControls& controls, common::DrawingSurface& surface, common::MessageSink& messages)
      : controls_(controls), surface_(surface), messages_(messages) {}
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Reactions to the user's events.
  // Selects simulation index (1 to 3): fills the grid with its presets and runs it.
  void cmd_Click(int16_t index);
  // Runs the selected simulation with the values in the grid.
  void Execute_Click();
  // Validates value box index when it loses the focus.
  void txt_LostFocus(int16_t index);

  // The grid.
  void SetParameterRow(int16_t row, const std::string& name, const std::string& value,
                       const std::string& minimum, const std::string& maximum);
  void UnlockValueBoxes(int16_t first);

  // The drawing surface and its labels.
  void SetAxisLabel(int16_t index, const std::string& text, int16_t visibility);
  // Clamps y to 0..1, draws the mark for (x, y) and writes the point to the output file.
  // False when the point lies outside the numbers that can be drawn or written; nothing is
  // drawn or written then and the run stops.
  bool PlotPoint(const std::string& mark, double& x, double& y);
  void PrintAtPercent(const std::string& text, int16_t xPercent, int16_t yPercent);
  void DrawCurveLabels();

 private:
  enum class Pass { Next, EndCurve, Stop };

  double ValueOf(int row) const;
  CommonParameters ReadCommonParameters();
  // The counted loop over t shared by the simulations; false when the run must stop.
  template <typename PassFunction>
  bool PointLoop(float limit, float step, PassFunction pass);
  bool Simulation1();
  bool Simulation2();
  bool Simulation3();

  void OpenOutputFile();
  void WriteOutputLine(const std::string& line);
  void CloseOutputFile();

  FormControls& controls_;
  common::DrawingSurface& surface_;
  common::MessageSink& messages_;
  platform::TextFile outputFile_;
  bool writeFailed_ = false;
  // The run made the file (it did not append to an older one): a file it could not write
  // completely is removed rather than left half-written.
  bool outputCreated_ = false;
};

}  // namespace tessaline
