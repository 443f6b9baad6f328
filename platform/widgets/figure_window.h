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
class QVBoxLayout;

namespace platform {

class FigureWindow : public QWidget {
 public:
  // A window of the owner's: it closes with the owner.
  FigureWindow(QWidget* owner, const QString& title);

  // Shows the figure (laid out for the window's size) and keeps its numbers for Export
  // data, replacing what was shown; brings the window up.
  void Show(std::shared_ptr<Figure> figure, std::optional<CsvTable> numbers);
  // The same without bringing the window up. Without a figure only the numbers show.
  void Replace(std::shared_ptr<Figure> figure, std::optional<CsvTable> numbers);
  bool HasFigure() const { return figure_ != nullptr; }
  // Export data writes through `writer` (files of its own making) instead of the table
  // shown, from the first Show or Replace on.
  void SetDataWriter(FigureActions::DataWriter writer);
  // A widget between the figure and the buttons (a table of the numbers), given `stretch`
  // of the height as the figure has 1.
  void AddBelowFigure(QWidget* widget, int stretch);
  FigureActions& Actions() { return *actions_; }
  // The area the figure is painted in.
  QWidget* View() const;

 private:
  class FigureArea;

  std::shared_ptr<Figure> figure_;
  std::optional<CsvTable> data_;
  FigureArea* view_;
  QVBoxLayout* layout_;
  bool writer_ = false;
  FigureActions* actions_;
};

}  // namespace platform
