// The results window of a study: a line with the seed and what the study came to, the
// study's chart (one varied parameter: mean and S.D. with each run's dot; two: a heat map
// of the mean; more: none) and its summary as a table. Export data writes the runs to the
// file chosen, NAME.csv, and the summary beside it as NAME-summary.csv, as the batch
// program's study writes runs.csv and summary.csv.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "platform/widgets/figure_window.h"
#include "quorvel/run/study.h"

class QLabel;
class QTableWidget;

namespace quorvel {

class StudyResultsWindow : public platform::FigureWindow {
 public:
  explicit StudyResultsWindow(QWidget* owner);

  // Shows what a study came to and brings the window up. `stopped` when the user ended it
  // early; `corrections` are what the validation pass changed in its grid points.
  void Show(std::shared_ptr<const Study> study, std::vector<StudyOutcome> outcomes, bool stopped,
            const QStringList& corrections);

  QLabel* Heading() const { return heading_; }
  QTableWidget* Summary() const { return summary_; }
  // The summary file written beside the runs' file `path`.
  static QString SummaryPath(const QString& path);

 private:
  QString WriteData(const QString& path) const;
  void FillSummary();

  QLabel* heading_;
  QTableWidget* summary_;
  std::shared_ptr<const Study> study_;
  std::vector<StudyOutcome> outcomes_;
};

}  // namespace quorvel
