// The frame of a program's window: a menu bar above the program's form. The form keeps its
// size and the places of its controls; the frame is the form grown by the bar's height.
//   File  Open parameters... Ctrl+O, Save parameters as... Ctrl+S, Export picture...
//         Ctrl+E, Export data... Ctrl+Shift+E, Quit Ctrl+Q
//   Edit  Copy picture Ctrl+C (a text box with the focus keeps Ctrl+C for its own text)
//   Run   what the program puts there (Start Ctrl+R, ...)
//   Help  User guide F1, About the program, About Qt
// Standard key sequences are used where the platform has one.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <string>
#include <vector>

#include "platform/widgets/command_line.h"
#include "platform/widgets/figure_actions.h"

class QAbstractButton;
class QAction;
class QMenu;
class QTextBrowser;
class QTextDocument;

namespace platform {

// The anchor a Markdown heading has in other viewers, which the guide's own links use:
// lower case, spaces as hyphens, other punctuation dropped.
QString HeadingAnchor(const QString& heading);
// Qt's Markdown reader gives headings no anchors: each gets the one HeadingAnchor names.
void AddHeadingAnchors(QTextDocument& document);

// Scrolls the browser so that the heading with that anchor stands at its top.
void ScrollToHeading(QTextBrowser* browser, const QString& anchor);

// The user guide (docs/guide.md, installed with the programs), or the empty text when
// there is none.
QString UserGuidePath();

// Clicks a button of a form as a user does: the focus moves to it first, so that the text
// box the user leaves reacts as it does to a click with the mouse.
void ClickAsUser(QAbstractButton* button);

class ProgramWindow : public QMainWindow {
  Q_OBJECT
 public:
  // Takes the form as the client area, with its title. When the form closes itself (an
  // End button), the frame closes too.
  ProgramWindow(QWidget* form, const ProgramInfo& info);

  QWidget* Form() const { return form_; }
  QMenu* FileMenu() const { return file_; }
  QMenu* EditMenu() const { return edit_; }
  QMenu* RunMenu() const { return run_; }
  QMenu* HelpMenu() const { return help_; }
  QAction* OpenParameters() const { return openParameters_; }
  QAction* SaveParameters() const { return saveParameters_; }
  QAction* Quit() const { return quit_; }
  QAction* UserGuide() const { return userGuide_; }
  QAction* About() const { return about_; }
  // The guide's window once User guide has opened it.
  QTextBrowser* Guide() const;

  // Export picture and Export data go to the File menu, Copy picture to the Edit menu.
  void AddFigureActions(FigureActions& actions);
  // An action of the Run menu; with waitsForRun it is disabled while a command runs.
  QAction* AddRunAction(const QString& text, const QKeySequence& key, bool waitsForRun);
  // Disabled while a command runs (Open parameters and Start are, from the start).
  void WaitForRun(QAction* action);
  // For the owner of the commands, when one starts and when it ends.
  void SetRunning(bool running);
  bool Running() const { return running_; }

  void ShowUserGuide();
  void ShowAbout();

  // Parameter sets: Open parameters... and Save parameters as... ask for a file and call
  // these; a text they return goes to a message box.
  virtual QString OpenParametersFrom(const QString& path);
  // Writes ParameterText() whole (the old file stays until the new one is complete).
  QString SaveParametersTo(const QString& path);
  // What Open parameters... does with the file chosen, also for a file named on the
  // command line: the set is opened, what there is to tell goes to a message box, and then
  // the program does what else the set asks for (AfterOpening).
  void OpenParametersFile(const QString& path);

 protected:
  // After an opened set and its message.
  virtual void AfterOpening() {}
  // Why there is nothing to save yet; empty when Save parameters as may go on.
  virtual QString NothingToSave() const { return {}; }
  // The parameter set as its file holds it.
  virtual std::string ParameterText() const { return {}; }
  // The text of a parameter file, or an error text in `error`: a file far larger than any
  // parameter set is not read.
  static std::string ReadParameterFile(const QString& path, QString& error);

  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* form_;
  ProgramInfo info_;
  QMenu* file_;
  QMenu* edit_;
  QMenu* run_;
  QMenu* help_;
  QAction* openParameters_;
  QAction* saveParameters_;
  QAction* figureSeparator_;
  QAction* quit_;
  QAction* userGuide_;
  QAction* about_;
  std::vector<QPointer<QAction>> waitForRun_;
  bool running_ = false;
  bool closing_ = false;
  QPointer<QTextBrowser> guide_;
};

}  // namespace platform
