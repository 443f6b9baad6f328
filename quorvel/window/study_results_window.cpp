#include "quorvel/window/study_results_window.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <sstream>

#include "platform/system/files.h"
#include "quorvel/charts/sweep_charts.h"
#include "quorvel/run/study_results.h"
#include "quorvel/run/study_tables.h"

namespace quorvel {
namespace {

// The summary has a row per grid point: a few hundred rows are read at a glance, and the
// figure keeps most of the height.
constexpr int kSummaryStretch = 1;

QStringList Cells(std::string_view line) {
  // The cells are numbers and on/off: no field is quoted.
  return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())).trimmed().split(',');
}

}  // namespace

StudyResultsWindow::StudyResultsWindow(QWidget* owner)
    : FigureWindow(owner, "Quorvel - Study results") {
  heading_ = new QLabel(this);
  heading_->setWordWrap(true);
  heading_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  summary_ = new QTableWidget(this);
  summary_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  summary_->verticalHeader()->hide();
  summary_->verticalHeader()->setDefaultSectionSize(summary_->fontMetrics().height() + 6);
  AddBelowFigure(heading_, 0);
  AddBelowFigure(summary_, kSummaryStretch);
  SetDataWriter([this](const QString& path) { return WriteData(path); });
}

QString StudyResultsWindow::SummaryPath(const QString& path) {
  QString base = path;
  if (base.endsWith(".csv", Qt::CaseInsensitive)) base.chop(4);
  return base + "-summary.csv";
}

void StudyResultsWindow::Show(std::shared_ptr<const Study> study,
                              std::vector<StudyOutcome> outcomes, bool stopped,
                              const QStringList& corrections) {
  study_ = std::move(study);
  outcomes_ = std::move(outcomes);
  const StudyDefinition& definition = study_->Definition();
  QString heading =
      stopped ? QString("Stopped after %1 of %2 runs").arg(outcomes_.size()).arg(study_->RunCount())
              : QString("%1 runs").arg(outcomes_.size());
  if (definition.FinitePopulation()) heading += QString(", seed %1").arg(definition.Seed);
  heading += ".";
  if (!corrections.isEmpty()) heading += "\nValues corrected: " + corrections.join("; ");
  heading_->setText(heading);
  FillSummary();
  StudyResultsCollector collector(*study_);
  for (const StudyOutcome& outcome : outcomes_) collector.Add(outcome);
  std::optional<charts::SweepFigure> figure = charts::MakeStudyFigure(collector.Results());
  FigureWindow::Show(figure ? figure->Picture : nullptr, std::nullopt);
}

void StudyResultsWindow::FillSummary() {
  std::vector<QStringList> lines;
  StudyTables tables(*study_, [&lines](const char* table, std::string_view line) {
    if (std::string_view(table) == kSummaryTable) lines.push_back(Cells(line));
    return true;
  });
  tables.Begin();
  for (const StudyOutcome& outcome : outcomes_) tables.Add(outcome);
  tables.Finish();
  summary_->clear();
  summary_->setRowCount(lines.empty() ? 0 : static_cast<int>(lines.size()) - 1);
  summary_->setColumnCount(lines.empty() ? 0 : static_cast<int>(lines.front().size()));
  if (!lines.empty()) summary_->setHorizontalHeaderLabels(lines.front());
  for (size_t row = 1; row < lines.size(); ++row)
    for (int column = 0; column < lines[row].size(); ++column)
      summary_->setItem(static_cast<int>(row) - 1, column,
                        new QTableWidgetItem(lines[row].at(column)));
  summary_->resizeColumnsToContents();
}

QString StudyResultsWindow::WriteData(const QString& path) const {
  if (!study_) return "There are no numbers to save.";
  std::ostringstream runs, summary;
  StudyTables tables(*study_, [&](const char* table, std::string_view line) {
    // Lines end in CR LF, as in every file the programs write.
    (std::string_view(table) == kRunsTable ? runs : summary) << line << "\r\n";
    return true;
  });
  tables.Begin();
  for (const StudyOutcome& outcome : outcomes_) tables.Add(outcome);
  tables.Finish();
  std::string error;
  for (const auto& [file, text] : {std::pair{path, runs.str()}, {SummaryPath(path), summary.str()}})
    if (!platform::WriteWholeFile(QDir::toNativeSeparators(file).toStdString(), text, &error))
      return QString::fromStdString(error);
  return {};
}

}  // namespace quorvel
