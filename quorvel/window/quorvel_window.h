// quorvel as the user meets it: the form under a menu bar, with parameter sets opened and
// saved from the File menu, the picture's export actions in the menus and on the picture's
// context menu, Start in the Run menu, and the window of sweep results that opens by itself
// when a sweep ends.
#pragma once

#include <memory>
#include <optional>

#include "platform/system/csv.h"
#include "platform/widgets/figure_actions.h"
#include "platform/widgets/figure_window.h"
#include "platform/widgets/program_window.h"
#include "quorvel/params/parameter_file.h"
#include "quorvel/window/main_window.h"

namespace quorvel {

class QuorvelWindow : public platform::ProgramWindow {
 public:
  explicit QuorvelWindow(const platform::ProgramInfo& info);

  MainWindow& Form() const { return *form_; }
  platform::FigureActions& PictureActions() const { return *picture_; }
  QAction* Start() const { return start_; }
  QAction* Stop() const { return stop_; }
  QAction* ShowSweepResults() const { return showResults_; }
  // The window of the last sweep's results; null before the first sweep.
  platform::FigureWindow* Results() const { return results_; }
  // The picture box with its axis ends, the axis names and the legends of the genotypes.
  std::shared_ptr<const platform::Figure> Picture() const;
  // The commands of the File menu without their dialogs: the empty text, or what to tell
  // the user (for an opened set: the values corrected and the names unknown).
  QString OpenParametersFrom(const QString& path) override;

 protected:
  std::string ParameterText() const override;

 private:
  // After a command: a sweep's results replace those shown and open their window.
  void ShowResultsOfCommand();
  // The entries and check boxes as "caption = value", for the title lines of a table.
  std::vector<std::pair<std::string, std::string>> Parameters() const;
  std::optional<platform::CsvTable> SingleRunTable() const;
  // The entries, check boxes and number of loci as they stand, and the run mode chosen.
  ParameterValues CurrentValues() const;
  RunMode CurrentMode() const;

  QString name_;
  MainWindow* form_;
  platform::FigureActions* picture_;
  QAction* start_;
  QAction* stop_;
  QAction* showResults_;
  platform::FigureWindow* results_ = nullptr;
  int commandsSeen_ = 0;
};

}  // namespace quorvel
