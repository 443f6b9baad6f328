#include "tessaline/window/tessaline_window.h"

#include <QAction>
#include <QDir>
#include <QFile>

#include "platform/system/files.h"
#include "platform/widgets/last_folder.h"
#include "platform/widgets/message_box.h"

#include "platform/widgets/picture_figure.h"
#include "tessaline/core/simulations.h"

namespace tessaline {
TessalineWindow::TessalineWindow(const platform::ProgramInfo& info)
    : ProgramWindow(new Form1, info) {
  form_ = static_cast<Form1*>(ProgramWindow::Form());

  picture_ = new platform::FigureActions(
      this, [this] { return Picture(); },
      [this]() -> std::optional<platform::CsvTable> {
        if (!form_->HasPlottedPoints()) return std::nullopt;
        return form_->PlottedData();
      });
  AddFigureActions(*picture_);
  picture_->AddContextMenu(form_->PictBox());

  // Start repeats the selected simulation with the grid's values, as the button does; with
  // none chosen yet there is nothing to repeat.
  start_ = AddRunAction("&Start", Qt::CTRL | Qt::Key_R, false);
  connect(start_, &QAction::triggered, this, [this] { platform::ClickAsUser(form_->Execute()); });
  EnableStart();
  for (int i = 1; i <= static_cast<int>(Simulations().size()); ++i)
    connect(form_->cmd(i), &QPushButton::clicked, this, [this] { EnableStart(); });
}

void TessalineWindow::EnableStart() {
  start_->setEnabled(!form_->ParameterSet().empty());
}

QString TessalineWindow::NothingToSave() const {
  if (form_->ParameterSet().empty()) return "Choose a simulation first: its grid is what is saved.";
  return {};
}

std::string TessalineWindow::ParameterText() const {
  return form_->ParameterSet();
}

QString TessalineWindow::OpenParametersFrom(const QString& path) {
  const QString name = QDir::toNativeSeparators(path);
  QString error;
  const std::string text = ReadParameterFile(path, error);
  if (!error.isEmpty()) return error;
  const OpenedSet opened = form_->OpenParameters(text);
  EnableStart();
  if (!opened.refusal.empty())
    return QString("%1: %2 Nothing was changed.").arg(name, QString::fromStdString(opened.refusal));
  QString report;
  for (const std::string& correction : opened.corrections)
    report += "\n  " + QString::fromStdString(correction);
  if (!report.isEmpty()) report = "Values corrected:" + report + "\n";
  QString unknown;
  for (const std::string& key : opened.unknownKeys) unknown += "\n  " + QString::fromStdString(key);
  if (!unknown.isEmpty()) report += "Unknown names, ignored:" + unknown + "\n";
  return report.isEmpty() ? QString() : QString("Opened %1.\n%2").arg(name, report);
}

std::shared_ptr<const platform::Figure> TessalineWindow::Picture() const {
  std::vector<const QLabel*> axes;
  for (int i = 1; i <= kAxisLabels; ++i) axes.push_back(form_->lab(i));
  return std::make_shared<platform::PictureFigure>(*form_->PictBox(),
                                                   platform::LabelsBeside(*form_->PictBox(), axes),
                                                   form_->FigTitle()->text());
}

}  // namespace tessaline
