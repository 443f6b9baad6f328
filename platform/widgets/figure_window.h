// A window of its own that shows one figure at the window's size, with buttons and a
// context menu to export the picture or its numbers and to copy the picture. It is not
// modal; showing another figure replaces the one shown.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>

#include "platform/figures/figure.h"
#include "platform/system/csv.h"
#include "platform/widgets/figure_actions.h"

class QPushButton;

namespace platform {

class FigureWindow : public QWidget {
 public:
  // A window of the owner's: it closes with the owner.
  FigureWindow(QWidget* owner, const QString& title);

  // Shows the figure (laid out for the window's size) and keeps its numbers for Export
  // data, replacing what was shown; brings the window up.
  void Show(std::shared_ptr<Figure> figure, std::optional<CsvTable> numbers);
  // The same without bringing the window up.
  void Replace(std::shared_ptr<Figure> figure, std::optional<CsvTable> numbers);
  bool HasFigure() const { return figure_ != nullptr; }
  FigureActions& Actions() { return *actions_; }
  // The area the figure is painted in.
  QWidget* View() const;

 private:
  class FigureArea;

  std::shared_ptr<Figure> figure_;
  std::optional<CsvTable> data_;
  FigureArea* view_;
  FigureActions* actions_;
};

}  // namespace platform
