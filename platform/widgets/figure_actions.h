// What takes a figure or the numbers behind it out of a program: Export picture...
// (PNG, SVG or PDF, chosen by the file name), Export data... (comma-separated values) and
// Copy picture (a PNG image on the clipboard). One set of actions serves a window's menus
// and the context menu of its picture alike.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "platform/figures/figure.h"
#include "platform/system/csv.h"

class QAction;
class QWidget;

namespace platform {

class FigureActions : public QObject {
  Q_OBJECT
 public:
  // The figure as it stands now, or null when there is nothing to show.
  using FigureSource = std::function<std::shared_ptr<const Figure>()>;
  // The numbers as they stand now, or nullopt when there are none. A table without a
  // date is dated when it is written.
  using DataSource = std::function<std::optional<CsvTable>()>;
  // Writes numbers that go out in files of their own making for the path chosen; returns
  // the empty text, or the message to show.
  using DataWriter = std::function<QString(const QString& path)>;

  // `window` parents the dialogs and messages; the actions are added to it, so that their
  // shortcuts (Ctrl+E, Ctrl+Shift+E, and the standard Copy, which a focused text box
  // keeps for itself) work wherever the focus is in that window.
  FigureActions(QWidget* window, FigureSource figure, DataSource data);

  QAction* ExportPicture() const { return exportPicture_; }
  QAction* ExportData() const { return exportData_; }
  QAction* CopyPicture() const { return copyPicture_; }
  // Offers the three actions on a context menu of `widget`.
  void AddContextMenu(QWidget* widget);
  void SetEnabled(bool enabled);
  // Export data then writes through `writer` instead of the data source's table.
  void SetDataWriter(DataWriter writer) { writer_ = std::move(writer); }

  // The commands without their dialogs: empty on success, else the message shown.
  QString ExportPictureTo(const QString& path);
  QString ExportDataTo(const QString& path);
  // False when there is no picture to copy.
  bool CopyPictureNow();

 private:
  void ChooseAndExportPicture();
  void ChooseAndExportData();
  qreal ScreenPixelRatio() const;

  QWidget* window_;
  FigureSource figure_;
  DataSource data_;
  DataWriter writer_;
  QAction* exportPicture_;
  QAction* exportData_;
  QAction* copyPicture_;
};

}  // namespace platform
