// quorvel as the user meets it: the form under a menu bar, with parameter sets opened and
// saved from the File menu, the picture's export actions in the menus and on the picture's
// context menu, Start in the Run menu, and the window of sweep results that opens by itself
// when a sweep ends; Run > Study... defines a study of any parameters over a grid, runs it
// in the background and shows its results in a window of their own.
#pragma once

#include <memory>
#include <optional>

#include "platform/system/csv.h"
#include "platform/widgets/figure_actions.h"
#include "platform/widgets/figure_window.h"
#include "platform/widgets/program_window.h"
#include "quorvel/params/parameter_file.h"
#include "quorvel/window/main_window.h"
#include "quorvel/window/study_dialog.h"
#include "quorvel/window/study_results_window.h"
#include "quorvel/window/study_run.h"

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

  // Run > Study...: the dialog, made when first asked for; null before.
  QAction* StudyAction() const { return study_; }
  StudyDialog* Study() const { return studyDialog_; }
  void OpenStudyDialog();
  // The study the dialog defines, over the entries as the validation pass leaves them: a
  // blank seed is drawn and shown; a grid point refused is said in the dialog.
  void StartStudy();
  // The study under way (null when none), and the window of the last study's results.
  StudyRun* RunningStudy() const { return studyRun_; }
  StudyResultsWindow* StudyWindow() const { return studyResults_; }
  // Save as... of the dialog without its file dialog: the window's entries with the
  // dialog's study; empty on success, else the message.
  QString SaveStudyTo(const QString& path);

 protected:
  std::string ParameterText() const override;
  // A set with a study opens the Study dialog filled in.
  void AfterOpening() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // After a command: a sweep's results replace those shown and open their window.
  void ShowResultsOfCommand();
  // The entries and check boxes as "caption = value", for the title lines of a table.
  std::vector<std::pair<std::string, std::string>> Parameters() const;
  std::optional<platform::CsvTable> SingleRunTable() const;
  // The entries, check boxes and number of loci as they stand, and the run mode chosen.
  ParameterValues CurrentValues() const;
  RunMode CurrentMode() const;
  // Every name a study may vary, with the caption the window shows for it.
  std::vector<StudyChoice> StudyChoices() const;
  void ShowStudyProgress();
  void FinishStudy();

  QString name_;
  MainWindow* form_;
  platform::FigureActions* picture_;
  QAction* start_;
  QAction* stop_;
  QAction* showResults_;
  platform::FigureWindow* results_ = nullptr;
  int commandsSeen_ = 0;
  QAction* study_;
  QAction* showStudyResults_;
  StudyDialog* studyDialog_ = nullptr;
  StudyRun* studyRun_ = nullptr;
  StudyResultsWindow* studyResults_ = nullptr;
  QStringList studyCorrections_;
  std::optional<StudyTable> openedStudy_;  // of the set opened last, until the dialog has it
  QString baseTitle_;
};

}  // namespace quorvel
