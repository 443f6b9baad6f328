#include "quorvel/window/quorvel_window.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

#include "platform/files.h"
#include "platform/picture_figure.h"
#include "quorvel/charts/sweep_charts.h"
#include "quorvel/run/report_files.h"

namespace quorvel {
namespace {

// The runs of an S-K sweep, block by block of one S.
charts::SKSweepResults SelectionResults(const CommandRecord& record) {
  charts::SKSweepResults results;
  for (size_t i = 0; i < record.Outcomes.size(); ++i) {
    if (results.Blocks.empty() || results.Blocks.back().S != record.S[i])
      results.Blocks.push_back({record.S[i], {}, {}});
    results.Blocks.back().K.push_back(record.K[i]);
    results.Blocks.back().RPlusFreq.push_back(record.Outcomes[i]);
  }
  return results;
}

// The runs of an N sweep by Log10(N), with their mean and S.D. as ReportFile3 has them.
charts::NSweepResults PopulationResults(const CommandRecord& record) {
  charts::NSweepResults results;
  for (size_t i = 0; i < record.Outcomes.size(); ++i) {
    if (results.Points.empty() || results.Points.back().Log10N != record.Log10N[i])
      results.Points.push_back({record.Log10N[i], {}, 0, 0});
    results.Points.back().Outcomes.push_back(record.Outcomes[i]);
  }
  for (charts::NSweepPoint& point : results.Points) {
    double sum = 0, sumOfSquares = 0;
    for (double r : point.Outcomes) {
      sumOfSquares += r * r;
      sum += r;
    }
    const MeanAndDeviation statistics =
        OutcomeStatistics(sum, sumOfSquares, static_cast<int>(point.Outcomes.size()));
    point.Mean = statistics.Mean;
    point.Deviation = statistics.Deviation;
  }
  return results;
}

}  // namespace

QuorvelWindow::QuorvelWindow(const platform::ProgramInfo& info)
    : ProgramWindow(new MainWindow, info) {
  form_ = static_cast<MainWindow*>(ProgramWindow::Form());

  picture_ = new platform::FigureActions(
      this, [this] { return Picture(); }, [this] { return SingleRunTable(); });
  AddFigureActions(*picture_);
  picture_->AddContextMenu(form_->PictBox());
  OpenParameters()->setVisible(false);
  SaveParameters()->setVisible(false);

  start_ = AddRunAction("&Start simulation", Qt::CTRL | Qt::Key_R, true);
  connect(start_, &QAction::triggered, this,
          [this] { platform::ClickAsUser(form_->StartButton()); });
  // Esc of the menu takes the place of the form's own, which would make the key ambiguous.
  stop_ = AddRunAction("S&top", Qt::Key_Escape, false);
  stop_->setEnabled(false);
  form_->EscapeShortcut()->setEnabled(false);
  connect(stop_, &QAction::triggered, form_, &MainWindow::Stop);
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
}

void QuorvelWindow::ShowResultsOfCommand() {
  const CommandRecord& record = form_->runState().Last;
  if (record.Commands == commandsSeen_) return;
  commandsSeen_ = record.Commands;
  if (!record.SelectionSweep && !record.PopulationSweep) return;
  std::shared_ptr<platform::Figure> chart;
  platform::CsvTable table;
  if (record.SelectionSweep) {
    const charts::SKSweepResults results = SelectionResults(record);
    chart = std::make_shared<charts::SKHeatMap>(results);
    table = charts::SKSweepTable(results);
  } else {
    const charts::NSweepResults results = PopulationResults(record);
    chart = std::make_shared<charts::NSweepChart>(results);
    table = charts::NSweepTable(results);
  }
  table.program = "quorvel";
  table.date = platform::LocalDateTimeText();
  table.parameters = Parameters();
  if (!results_) results_ = new platform::FigureWindow(this, windowTitle() + " - Sweep results");
  results_->Show(chart, table);
  showResults_->setEnabled(true);
}

std::vector<std::pair<std::string, std::string>> QuorvelWindow::Parameters() const {
  std::vector<std::pair<std::string, std::string>> parameters;
  const std::pair<int, const char*> unlabelled[] = {{kEntryDiffusion, "Interdemic diffusion"},
                                                    {kEntryInversionPeriod, "Inversion period"},
                                                    {kEntryLoopFrom, "Loop from Log10(N)"},
                                                    {kEntryLoopTo, "Loop to Log10(N)"}};
  for (int i = 0; i < kEntryCount; ++i) {
    std::string name = "entry " + std::to_string(i);
    if (const QLabel* label = form_->Labl(i)) name = label->text().simplified().toStdString();
    for (const auto& [entry, caption] : unlabelled)
      if (entry == i) name = caption;
    parameters.emplace_back(name, form_->EntryText(i));
  }
  const CheckBoxes checks = form_->CheckValues();
  const std::pair<const char*, CheckValue> boxes[] = {
      {"Genetic drift", checks.GeneticDrift},
      {"Total stochasticity", checks.TotalStochasticity},
      {"Recombination for R+", checks.RecombForR},
      {"Inversion of S value", checks.InversionOfS},
      {"Sinusoidal variation of S", checks.SinusoidalOption},
      {"Linkage disequilibrium", checks.LinkageDisequilibrium}};
  for (const auto& [caption, value] : boxes)
    parameters.emplace_back(caption, std::to_string(value));
  parameters.emplace_back("Loci", form_->AllelesNumber()->text().toStdString());
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

}  // namespace quorvel
