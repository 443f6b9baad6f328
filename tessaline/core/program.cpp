#include "tessaline/core/program.h"

#include "tessaline/core/catalogue.h"
#include "tessaline/core/validation.h"

namespace tessaline {

void Program::cmd_Click(int16_t index) {
  const Simulation* simulation = FindSimulation(index);
  if (!simulation) return;
  surface_.Clear();
  FillGrid(controls_, *simulation);
  run_.Execute();
  // Only a selection prints the curve labels; a repeated run leaves them out.
  plotter_.DrawCurveLabels();
  surface_.Refresh(true);
}

void Program::txt_LostFocus(int16_t index) {
  ValidateValue(controls_, index);
}

}  // namespace tessaline
