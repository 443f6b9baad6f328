#include "platform/widgets/figure_actions.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QWidget>

#include "platform/system/files.h"
#include "platform/widgets/last_folder.h"
#include "platform/widgets/message_box.h"

namespace platform {
namespace {

constexpr const char* kPngFilter = "PNG image (*.png)";
constexpr const char* kPng2xFilter = "PNG image, twice the screen's pixels (*@2x.png)";
constexpr const char* kSvgFilter = "SVG drawing (*.svg)";
constexpr const char* kPdfFilter = "PDF document (*.pdf)";
constexpr const char* kCsvFilter = "Comma-separated values (*.csv)";

// A PNG asked for at twice the pixels is named so, "...@2x.png".
QString NamedForPixelRatio(QString path, const QString& filter) {
  if (filter != kPng2xFilter || QFileInfo(path).suffix().compare("png", Qt::CaseInsensitive) != 0)
    return path;
  if (!QFileInfo(path).completeBaseName().endsWith("@2x", Qt::CaseInsensitive))
    path.insert(path.size() - 4, "@2x");
  return path;
}

}  // namespace

FigureActions::FigureActions(QWidget* window, FigureSource figure, DataSource data)
    : QObject(window), window_(window), figure_(std::move(figure)), data_(std::move(data)) {
  exportPicture_ = new QAction("Export &picture...", this);
  exportPicture_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  exportData_ = new QAction("Export &data...", this);
  exportData_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
  copyPicture_ = new QAction("&Copy picture", this);
  copyPicture_->setShortcut(QKeySequence::Copy);
  connect(exportPicture_, &QAction::triggered, this, &FigureActions::ChooseAndExportPicture);
  connect(exportData_, &QAction::triggered, this, &FigureActions::ChooseAndExportData);
  connect(copyPicture_, &QAction::triggered, this, [this] { CopyPictureNow(); });
  window_->addActions({exportPicture_, exportData_, copyPicture_});
}

void FigureActions::AddContextMenu(QWidget* widget) {
  widget->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(widget, &QWidget::customContextMenuRequested, this, [this, widget](const QPoint& at) {
    QMenu menu(widget);
    menu.addActions({exportPicture_, exportData_});
    menu.addSeparator();
    menu.addAction(copyPicture_);
    menu.exec(widget->mapToGlobal(at));
  });
}

void FigureActions::SetEnabled(bool enabled) {
  for (QAction* action : {exportPicture_, exportData_, copyPicture_}) action->setEnabled(enabled);
}

qreal FigureActions::ScreenPixelRatio() const {
  return window_->devicePixelRatioF();
}

QString FigureActions::ExportPictureTo(const QString& path) {
  const std::shared_ptr<const Figure> figure = figure_ ? figure_() : nullptr;
  if (!figure) return "There is no picture to save.";
  return ExportFigure(*figure, path, PngPixelRatio(path, ScreenPixelRatio()));
}

QString FigureActions::ExportDataTo(const QString& path) {
  if (writer_) return writer_(path);
  std::optional<CsvTable> table = data_ ? data_() : std::nullopt;
  if (!table) return "There are no numbers to save.";
  if (table->date.empty()) table->date = LocalDateTimeText();
  std::string error;
  if (!WriteCsvFile(QDir::toNativeSeparators(path).toStdString(), *table, &error))
    return QString::fromStdString(error);
  return {};
}

bool FigureActions::CopyPictureNow() {
  const std::shared_ptr<const Figure> figure = figure_ ? figure_() : nullptr;
  if (!figure) return false;
  QGuiApplication::clipboard()->setImage(FigureImage(*figure, ScreenPixelRatio()));
  return true;
}

void FigureActions::ChooseAndExportPicture() {
  QString filter;
  const QString path = NamedForPixelRatio(
      ChooseFileToSave(window_, "Export picture", QCoreApplication::applicationName() + ".png",
                       {kPngFilter, kPng2xFilter, kSvgFilter, kPdfFilter}, &filter),
      filter);
  if (path.isEmpty()) return;
  const QString error = ExportPictureTo(path);
  if (!error.isEmpty()) ShowMessage(window_, error);
}

void FigureActions::ChooseAndExportData() {
  const QString path = ChooseFileToSave(window_, "Export data",
                                        QCoreApplication::applicationName() + ".csv", {kCsvFilter});
  if (path.isEmpty()) return;
  const QString error = ExportDataTo(path);
  if (!error.isEmpty()) ShowMessage(window_, error);
}

}  // namespace platform
