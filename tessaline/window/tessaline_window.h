// tessaline as the user meets it: the form under a menu bar, the picture's export actions
// in the menus and on the picture's context menu, and Start for the selected simulation.
#pragma once

#include "platform/widgets/figure_actions.h"
#include "platform/widgets/program_window.h"
#include "tessaline/window/form1.h"

namespace tessaline {

class TessalineWindow : public platform::ProgramWindow {
 public:
  explicit TessalineWindow(const platform::ProgramInfo& info);

  Form1& Form() const { return *form_; }
  platform::FigureActions& PictureActions() const { return *picture_; }
  QAction* Start() const { return start_; }
  // The commands of the File menu without their dialogs: the empty text, or what to tell
  // the user (for an opened set: the values corrected and the names unknown).
  QString OpenParametersFrom(const QString& path) override;
  // The picture with its axis labels and the simulation's title.
  std::shared_ptr<const platform::Figure> Picture() const;

 protected:
  QString NothingToSave() const override;
  std::string ParameterText() const override;

 private:
  Form1* form_;
  platform::FigureActions* picture_;
  // Start waits for a simulation to be chosen.
  void EnableStart();

  QAction* start_;
};

}  // namespace tessaline
