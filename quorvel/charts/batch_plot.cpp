#include "quorvel/batch/batch_plot.h"

#include <QtGlobal>

#include "platform/figures/figure.h"
#include "quorvel/charts/sweep_charts.h"

namespace quorvel::batch {
namespace {

QtMessageHandler qtHandler = nullptr;

// Qt's notice that it chose a runtime folder of its own is no news on a batch command's
// stderr; everything else Qt says passes on.
void QuietOnRuntimeFolder(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg && text.startsWith("QStandardPaths:")) return;
  if (qtHandler) qtHandler(type, context, text);
}

}  // namespace

std::string PlotRefusal(const std::string& path) {
  if (platform::FigureFormatOf(QString::fromStdString(path))) return {};
  return "--plot " + path + ": the name must end in .svg, .png or .pdf";
}

namespace {

std::string Export(const std::optional<charts::SweepFigure>& figure, const std::string& path) {
  if (!figure) return "--plot: only a sweep or a study of one or two parameters has a chart";
  qtHandler = qInstallMessageHandler(QuietOnRuntimeFolder);
  const platform::GuiForFigures gui;
  const QString name = QString::fromStdString(path);
  const QString failure =
      platform::ExportFigure(*figure->Picture, name, platform::PngPixelRatio(name, 1.0));
  qInstallMessageHandler(qtHandler);
  return failure.toStdString();
}

}  // namespace

std::string WritePlot(const CommandRecord& record, const std::string& path) {
  return Export(charts::MakeSweepFigure(record), path);
}

std::string WritePlot(const StudyResults& results, const std::string& path) {
  return Export(charts::MakeStudyFigure(results), path);
}

}  // namespace quorvel::batch
