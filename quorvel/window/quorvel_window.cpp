#include "quorvel/window/quorvel_window.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

#include "common/number_text.h"
#include "platform/system/files.h"
#include "platform/widgets/last_folder.h"
#include "platform/widgets/message_box.h"
#include "platform/widgets/picture_figure.h"
#include "quorvel/charts/sweep_charts.h"
#include "quorvel/run/ordered_executor.h"
#include "quorvel/run/progress_estimate.h"
#include "quorvel/run/report_files.h"
#include "quorvel/run/seeds.h"

namespace quorvel {
namespace {

constexpr const char* kStudyFilter = "Studies (*.toml)";

}  // namespace

QuorvelWindow::QuorvelWindow(const platform::ProgramInfo& info)
    : ProgramWindow(new MainWindow, info), name_(info.name) {
  form_ = static_cast<MainWindow*>(ProgramWindow::Form());
  baseTitle_ = form_->windowTitle();

  picture_ = new platform::FigureActions(
      this, [this] { return Picture(); }, [this] { return SingleRunTable(); });
  AddFigureActions(*picture_);
  picture_->AddContextMenu(form_->PictBox());
  start_ = AddRunAction("&Start simulation", Qt::CTRL | Qt::Key_R, true);
  connect(start_, &QAction::triggered, this,
          [this] { platform::ClickAsUser(form_->StartButton()); });
  study_ = AddRunAction("St&udy...", Qt::CTRL | Qt::Key_T, true);
  connect(study_, &QAction::triggered, this, &QuorvelWindow::OpenStudyDialog);
  // Esc of the menu takes the place of the form's own, which would make the key ambiguous.
  stop_ = AddRunAction("S&top", Qt::Key_Escape, false);
  stop_->setEnabled(false);
  form_->EscapeShortcut()->setEnabled(false);
  connect(stop_, &QAction::triggered, this, [this] {
    if (studyRun_) {
      studyRun_->Stop();
    } else {
      form_->Stop();
    }
  });
  connect(form_, &MainWindow::commandStarted, this, [this] {
    SetRunning(true);
    stop_->setEnabled(true);
  });
  connect(form_, &MainWindow::commandEnded, this, [this] {
    SetRunning(false);
    stop_->setEnabled(false);
    ShowResultsOfCommand();
  });
  RunMenu()->addSeparator();
  showResults_ = RunMenu()->addAction("Show sweep &results");
  showResults_->setEnabled(false);
  connect(showResults_, &QAction::triggered, this, [this] {
    if (!results_) return;
    results_->show();
    results_->raise();
    results_->activateWindow();
  });
  showStudyResults_ = RunMenu()->addAction("Show st&udy results");
  showStudyResults_->setEnabled(false);
  connect(showStudyResults_, &QAction::triggered, this, [this] {
    if (!studyResults_) return;
    studyResults_->show();
    studyResults_->raise();
    studyResults_->activateWindow();
  });
}

std::vector<StudyChoice> QuorvelWindow::StudyChoices() const {
  const std::vector<std::pair<std::string, std::string>> captions = Parameters();
  std::vector<StudyChoice> choices;
  for (const ParameterRow& row : kParameterRows) {
    QString caption;
    if (row.IsEntry()) {
      caption = QString::fromStdString(captions[static_cast<size_t>(row.Entry)].first);
    } else if (row.Kind == ParameterKind::Loci) {
      caption = form_->ToggleAllelesNumber()->text();
    } else {
      caption = form_->SwitchBox(row.Box)->text();
    }
    // The name follows the caption: two captions of the window name both the diffusion's
    // box and its value.
    choices.push_back({row.Name, QString("%1 - %2").arg(caption.simplified(), row.Name)});
  }
  return choices;
}

void QuorvelWindow::OpenStudyDialog() {
  if (!studyDialog_) {
    studyDialog_ = new StudyDialog(this, StudyChoices());
    connect(studyDialog_, &StudyDialog::startRequested, this, &QuorvelWindow::StartStudy);
    connect(studyDialog_, &StudyDialog::openRequested, this, [this] {
      const QString path = platform::ChooseFileToOpen(studyDialog_, "Open study", {kStudyFilter});
      if (!path.isEmpty()) OpenParametersFile(path);
    });
    connect(studyDialog_, &StudyDialog::saveRequested, this, [this] {
      const QString path =
          platform::ChooseFileToSave(studyDialog_, "Save study as", "study.toml", {kStudyFilter});
      if (path.isEmpty()) return;
      const QString error = SaveStudyTo(path);
      if (!error.isEmpty()) platform::ShowMessage(studyDialog_, error);
    });
  }
  studyDialog_->open();
  studyDialog_->raise();
  studyDialog_->activateWindow();
}

QString QuorvelWindow::SaveStudyTo(const QString& path) {
  const StudyTable table = studyDialog_ ? studyDialog_->Table() : StudyTable();
  std::string error;
  if (!platform::WriteWholeFile(path.toStdString(),
                                ParameterFileText(CurrentValues()) + StudyTableText(table), &error))
    return QString::fromStdString(error);
  return {};
}

void QuorvelWindow::StartStudy() {
  if (!studyDialog_ || Running()) return;
  form_->ValidateEntries();
  std::optional<StudyDefinition> definition = studyDialog_->Definition(CurrentValues());
  if (!definition) return;
  if (definition->FinitePopulation() && !studyDialog_->TypedSeed()) {
    definition->Seed = SeedFromEntropy();
    studyDialog_->Seed()->setText(QString::number(definition->Seed));
  }
  StudyCheck check;
  std::shared_ptr<const quorvel::Study> study = Study::Prepare(*definition, check);
  if (!study) {
    studyDialog_->ShowRefusal(QString::fromStdString(check.Refusal));
    return;
  }
  studyCorrections_.clear();
  for (const std::string& correction : check.Corrections)
    studyCorrections_ << QString::fromStdString(correction);
  studyDialog_->accept();
  SetRunning(true);
  stop_->setEnabled(true);
  form_->StartButton()->setEnabled(false);
  studyRun_ = new StudyRun(std::move(study), DefaultThreadCount(), this);
  connect(studyRun_, &StudyRun::progressed, this, &QuorvelWindow::ShowStudyProgress);
  connect(studyRun_, &StudyRun::finished, this, &QuorvelWindow::FinishStudy);
  ShowStudyProgress();
}

void QuorvelWindow::ShowStudyProgress() {
  if (!studyRun_) return;
  ProgressEstimate progress(studyRun_->Of()->RunCount());
  progress.Update(studyRun_->Done(), studyRun_->Seconds());
  form_->setWindowTitle(QString("%1 - Study: %2, Esc stops")
                            .arg(baseTitle_, QString::fromStdString(ProgressText(progress))));
}

void QuorvelWindow::FinishStudy() {
  StudyRun* run = studyRun_;
  if (!run) return;
  studyRun_ = nullptr;
  SetRunning(false);
  stop_->setEnabled(false);
  form_->StartButton()->setEnabled(true);
  std::vector<StudyOutcome> outcomes = run->TakeOutcomes();
  const size_t runCount = run->Of()->RunCount();
  form_->setWindowTitle(
      run->Stopped() ? QString("%1 - Study stopped after %2 of %3 runs")
                           .arg(baseTitle_)
                           .arg(outcomes.size())
                           .arg(runCount)
                     : QString("%1 - Study: %2 runs done").arg(baseTitle_).arg(outcomes.size()));
  if (!studyResults_) studyResults_ = new StudyResultsWindow(this);
  studyResults_->Show(run->Of(), std::move(outcomes), run->Stopped(), studyCorrections_);
  showStudyResults_->setEnabled(true);
  run->deleteLater();
}

void QuorvelWindow::AfterOpening() {
  if (!openedStudy_) return;
  OpenStudyDialog();
  studyDialog_->Fill(*openedStudy_);
  openedStudy_.reset();
}

void QuorvelWindow::closeEvent(QCloseEvent* event) {
  // Every run ends before the window goes.
  delete studyRun_;
  studyRun_ = nullptr;
  ProgramWindow::closeEvent(event);
}

void QuorvelWindow::ShowResultsOfCommand() {
  const CommandRecord& record = form_->runState().Last;
  if (record.Commands == commandsSeen_) return;
  commandsSeen_ = record.Commands;
  std::optional<charts::SweepFigure> figure = charts::MakeSweepFigure(record);
  if (!figure) return;
  platform::CsvTable& table = figure->Numbers;
  table.program = "quorvel";
  table.date = platform::LocalDateTimeText();
  table.parameters = Parameters();
  if (!results_) results_ = new platform::FigureWindow(this, name_ + " - Sweep results");
  // A stopped sweep's results wait in the Run menu; only a whole sweep brings them up.
  if (record.Complete) {
    results_->Show(figure->Picture, table);
  } else {
    results_->Replace(figure->Picture, table);
  }
  showResults_->setEnabled(true);
}

std::vector<std::pair<std::string, std::string>> QuorvelWindow::Parameters() const {
  std::vector<std::pair<std::string, std::string>> parameters;
  for (int i : kParameterEntries)
    parameters.emplace_back(ParameterOfEntry(i)->ShownName(), form_->EntryText(i));
  const CheckBoxes checks = form_->CheckValues();
  for (CheckValue CheckBoxes::*box :
       {&CheckBoxes::GeneticDrift, &CheckBoxes::TotalStochasticity, &CheckBoxes::RecombForR,
        &CheckBoxes::InversionOfS, &CheckBoxes::SinusoidalOption,
        &CheckBoxes::LinkageDisequilibrium})
    parameters.emplace_back(ParameterOfSwitch(box).ShownName(), std::to_string(checks.*box));
  for (const ParameterRow& row : kParameterRows)
    if (row.Kind == ParameterKind::Loci)
      parameters.emplace_back(row.ShownName(), form_->AllelesNumber()->text().toStdString());
  return parameters;
}

std::optional<platform::CsvTable> QuorvelWindow::SingleRunTable() const {
  const CommandRecord& record = form_->runState().Last;
  if (record.Rows.empty()) return std::nullopt;
  platform::CsvTable table;
  table.program = "quorvel";
  table.parameters = Parameters();
  // The columns are the curves: the frequency of the genotypes up to and including the
  // one named, R+ carriers first, as in ReportFile1.
  table.columns = {"generation"};
  const QStringList labels =
      QString::fromStdString(ReportFile1Header(record.Rows.front().Curves == 16 ? 3 : 2))
          .split('\t');
  for (const QString& label : labels) table.columns.push_back("up to " + label.toStdString());
  for (const GenerationRow& row : record.Rows) {
    std::vector<std::string> cells = {std::to_string(row.Generation)};
    for (int c = 0; c < row.Curves; ++c)
      cells.push_back(platform::CsvNumber(row.Cumulative[static_cast<size_t>(c)]));
    table.rows.push_back(std::move(cells));
  }
  return table;
}

std::shared_ptr<const platform::Figure> QuorvelWindow::Picture() const {
  std::vector<const QLabel*> labels;
  // Axis ends and names, then the legends: those of three loci cover those of two.
  for (int i : {4, 2, 21, 22, 23, 20, 0, 1, 3, 5, 6, 7, 8, 9, 10, 11})
    labels.push_back(form_->Lab(i));
  for (int i = 0; i < 16; ++i) labels.push_back(form_->Lab4(i));
  return std::make_shared<platform::PictureFigure>(
      *form_->PictBox(), platform::LabelsBeside(*form_->PictBox(), labels));
}

ParameterValues QuorvelWindow::CurrentValues() const {
  ParameterValues values;
  for (int i : kParameterEntries) values.Entries[static_cast<size_t>(i)] = form_->EntryText(i);
  values.Checks = form_->CheckValues();
  values.Loci = form_->AllelesNumber()->text() == "3" ? 3 : 2;
  return values;
}

RunMode QuorvelWindow::CurrentMode() const {
  for (RunMode mode : kRunModes)
    if (form_->Option1(RunModeOption(mode))->isChecked()) return mode;
  return RunMode::Single;
}

std::string QuorvelWindow::ParameterText() const {
  return ParameterFileText(CurrentValues(), CurrentMode());
}

QString QuorvelWindow::OpenParametersFrom(const QString& path) {
  const QString name = QDir::toNativeSeparators(path);
  QString error;
  const std::string text = ReadParameterFile(path, error);
  if (!error.isEmpty()) return error;
  ParameterFile set;
  std::string message;
  if (!ParseParameterText(text, name.toStdString(), set, message))
    return QString("%1 is not a parameter set of quorvel:\n%2\nNothing was changed.")
        .arg(name, QString::fromStdString(message));

  // Every value is checked before any is typed, so that a file that cannot be used changes
  // nothing.
  std::vector<std::pair<const ParameterRow*, std::string>> known;
  QStringList unknown;
  for (const auto& [key, value] : set.Assignments) {
    const ParameterRow* p = FindParameter(key);
    if (!p) {
      unknown << QString::fromStdString(key);
      continue;
    }
    const std::string refusal = AssignmentRefusal(*p, value);
    if (!refusal.empty())
      return QString("%1: %2: %3.\nNothing was changed.")
          .arg(name, QString::fromStdString(key), QString::fromStdString(refusal));
    known.emplace_back(p, value);
  }
  if (known.empty() && !set.Mode && !set.Study)
    return QString("%1 holds no parameters of quorvel.\nNothing was changed.").arg(name);

  // As the user would: the number of loci and the run mode first, as they reset boxes,
  // then the check boxes (inversion before the sinusoidal variation it allows), then the
  // entries, then the validation pass.
  for (const auto& [p, value] : known)
    if (p->Kind == ParameterKind::Loci && value != form_->AllelesNumber()->text().toStdString())
      form_->ToggleAllelesNumber_Click();
  if (set.Mode) {
    const int option = RunModeOption(*set.Mode);
    form_->Option1(option)->setChecked(true);
    form_->Option1_GotFocus(option);
  }
  for (const auto& [p, value] : known) {
    if (p->Kind != ParameterKind::Switch) continue;
    CheckBox* box = form_->SwitchBox(p->Box);
    // A box the window holds disabled keeps the value the window gives it.
    if (box->isEnabled()) box->SetValue(value == "on" ? 1 : 0);
  }
  // Numbers in the form the window writes them (1E-05 rather than 1e-05).
  for (const auto& [p, value] : known)
    if (p->Entry >= 0)
      form_->SetEntryText(p->Entry, common::TrimBlanks(value).empty()
                                        ? value
                                        : common::FormatNumber(common::ParseLeadingNumber(value)));
  form_->ValidateEntries();
  openedStudy_ = set.Study;

  QStringList corrected;
  const ParameterValues now = CurrentValues();
  for (const auto& [p, value] : known) {
    const std::string after = ValueText(now, *p);
    const bool same =
        p->Entry >= 0 ? common::ParseLeadingNumber(value) == common::ParseLeadingNumber(after) &&
                            common::TrimBlanks(value).empty() == common::TrimBlanks(after).empty()
                      : value == after;
    if (!same)
      corrected << QString::fromStdString(std::string(p->Name) + ": " + value + " -> " + after);
  }
  QString report;
  if (!corrected.isEmpty()) report += "Values corrected:\n  " + corrected.join("\n  ") + "\n";
  if (!unknown.isEmpty()) report += "Unknown names, ignored:\n  " + unknown.join("\n  ") + "\n";
  return report.isEmpty() ? QString() : QString("Opened %1.\n%2").arg(name, report);
}

}  // namespace quorvel
