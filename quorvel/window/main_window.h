// The quorvel window: the parameter entries with their labels, the check boxes of the
// model's steps, the run-mode option buttons, the picture box of the curves and its axis
// labels and legends. It owns the run state, the genotype model and the program's random
// generator, and keeps the entries valid as the user edits them.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/drawing_surface.h"
#include "platform/widgets/focus_line_edit.h"
#include "platform/widgets/message_box.h"
#include "platform/widgets/picture_box.h"
#include "quorvel/model/model.h"
#include "quorvel/model/uniform_generator.h"
#include "quorvel/params/parameter_set.h"
#include "quorvel/params/parameters.h"
#include "quorvel/run/run_state.h"
#include "quorvel/run/run_window.h"
#include "quorvel/window/controls.h"

class QLabel;
class QPushButton;
class QShortcut;

namespace quorvel {

class CommandController;

class MainWindow : public QWidget, public RunWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // --- What a run needs of the window ----------------------------------------------------
  // The text of txt(index); an index without a box reads as the empty text.
  std::string EntryText(int index) const override;
  void SetEntryText(int index, const std::string& text);
  // Sets the text of a progress display (txt(37) to txt(40)) and repaints that box at once,
  // since a run does not return to the event loop; within a screen frame of the last
  // repaint, with the next repaint of a progress box or of the picture.
  void ShowProgress(int index, const std::string& text) override;
  // The shortest time between two repaints of the progress boxes.
  void SetProgressRepaintInterval(int milliseconds) { progressFrameMs_ = milliseconds; }
  // Repaints one box now.
  void RepaintEntry(int index);
  // The validation pass over all entries; runs also at the start of every command.
  void ValidateEntries() override;
  common::DrawingSurface& Picture() override;
  common::MessageSink& Messages() override { return messages_; }
  // The check boxes as they stand (0 clear, 1 ticked, 2 greyed).
  CheckBoxes CheckValues() const;
  // The texts of every box and the check boxes, as the validation pass and a run read them.
  ParameterSet CurrentEntries() const;
  Model& model() { return model_; }
  RunState& runState() { return runState_; }
  UniformGenerator& generator() { return generator_; }
  const ParameterTable& Parameters() const { return table_; }
  const std::string& DefaultDirectory() const { return defaultDirectory_; }

  // --- Controls, by their names --------------------------------------------------------
  platform::FocusLineEdit* Txt(int index) const;
  QLabel* Labl(int index) const;
  QLabel* Lab(int index) const;
  QLabel* Lab4(int index) const { return lab4_[static_cast<size_t>(index)]; }
  OptionButton* Option1(int index) const { return option1_[static_cast<size_t>(index)]; }
  CheckBox* InterdemicDiffusion() const { return interdemicDiffusion_; }
  CheckBox* InversionOfS() const { return inversionOfS_; }
  CheckBox* SinusoidalOption() const { return sinusoidalOption_; }
  CheckBox* TotalStochasticity() const { return totalStochasticity_; }
  CheckBox* RecombForR() const { return recombForR_; }
  CheckBox* GeneticDrift() const { return geneticDrift_; }
  CheckBox* LinkageDisequilibrium() const { return linkageDisequilibrium_; }
  // The check box of a switch's row.
  CheckBox* SwitchBox(CheckValue CheckBoxes::*value) const;
  QPushButton* StartButton() const { return start_; }
  QPushButton* EndProgram(int index) const { return index == 0 ? endProgram_ : nullptr; }
  QPushButton* ToggleAllelesNumber() const { return toggleAllelesNumber_; }
  QLabel* AllelesNumber() const { return allelesNumber_; }
  platform::PictureBox* PictBox() const { return pictBox_; }

  // --- Procedures of the window ----------------------------------------------------------
  void ResetEntries();
  void LayoutForAlleles();
  void SetEntryEnabled(int index, bool enabled);

 public slots:
  // "Start simulation", which reads "Stop" while a command runs.
  void Start_Click();
  // The command of the chosen run mode, on a thread of its own; nothing while one runs.
  void Start();
  // Ends the command in progress after the current generation of its run.
  void Stop();
  bool IsRunning() const;
  // Returns once the command in progress has ended and the window shows what it left.
  void WaitForCommand();
  // The Esc key that stops a command (see CommandController::EscapeShortcut).
  QShortcut* EscapeShortcut() const;
  // The threads a sweep's runs share; every core unless set.
  void SetThreadCount(unsigned threads);

 signals:
  // A command has started (the inputs are locked) / has ended (the window shows what it
  // left and the inputs react again).
  void commandStarted();
  void commandEnded();

 public slots:
  void Option1_GotFocus(int index);
  void InterdemicDiffusion_Click();
  void InversionOfS_Click();
  void LinkageDisequilibrium_Click();
  void ToggleAllelesNumber_Click();
  void EndProgram_Click();
  void txt_LostFocus(int index);

 private:
  struct CheckBoxPlace;
  static const CheckBoxPlace kCheckBoxPlaces[];

  void Form_Load();
  // The controls, built from their tables: the entries with their labels and check boxes,
  // the run modes, the buttons, the drawing side (picture box, axis labels, legends), then
  // the shared fonts and the tab order.
  void BuildControls();
  void BuildEntries();
  void BuildRunModes();
  void BuildButtons();
  // Returns the legends, which share one font.
  std::vector<QWidget*> BuildDrawingSide();
  void ShareFonts(const std::vector<QWidget*>& legendLabels);
  void SetTabOrder();
  platform::FocusLineEdit* AddEntry(int index, int left, int top, const std::string& text,
                                    int width = 800);
  QLabel* AddEntryLabel(int index, const QString& caption, int left, int top, int width,
                        int height = 255);
  QLabel* AddLabel(const QString& caption, int left, int top, int width, int height,
                   common::Colour back);
  CheckBox* AddCheckBox(const char* name, const QString& caption, int left, int top, int width,
                        int height, CheckValue value);

  // Runs the commands; it owns the thread that uses the model, run state and generator
  // below, so it goes first when the window ends.
  CommandController* command_ = nullptr;
  UniformGenerator generator_;
  Model model_{generator_};
  RunState runState_;
  ParameterTable table_ = MakeParameterTable();
  std::string defaultDirectory_;
  platform::WindowMessageSink messages_{this};
  int progressFrameMs_ = 16;  // a screen frame
  QElapsedTimer sinceProgressRepaint_;
  // Progress boxes whose new text arrived within a frame of the last repaint; they are
  // repainted with the next progress or picture repaint, or when the command ends.
  std::set<int> progressToRepaint_;
  void RepaintPendingProgress();

  std::map<int, platform::FocusLineEdit*> txt_;
  std::map<int, QLabel*> labl_;
  std::map<int, QLabel*> lab_;
  std::array<QLabel*, 16> lab4_{};
  std::array<OptionButton*, 4> option1_{};
  CheckBox* interdemicDiffusion_ = nullptr;
  CheckBox* inversionOfS_ = nullptr;
  CheckBox* sinusoidalOption_ = nullptr;
  CheckBox* totalStochasticity_ = nullptr;
  CheckBox* recombForR_ = nullptr;
  CheckBox* geneticDrift_ = nullptr;
  CheckBox* linkageDisequilibrium_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* endProgram_ = nullptr;
  QPushButton* toggleAllelesNumber_ = nullptr;
  QLabel* allelesNumber_ = nullptr;
  platform::PictureBox* pictBox_ = nullptr;
};

}  // namespace quorvel
