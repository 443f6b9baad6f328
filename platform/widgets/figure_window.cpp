#include "platform/widgets/figure_window.h"

#include <QAction>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace platform {

// Lays the figure out for its own size and paints it.
class FigureWindow::FigureArea : public QWidget {
 public:
  explicit FigureArea(FigureWindow& owner) : QWidget(&owner), owner_(owner) {
    setMinimumSize(320, 240);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void resizeEvent(QResizeEvent*) override {
    if (owner_.figure_) owner_.figure_->Fit(size());
  }
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (owner_.figure_) owner_.figure_->Paint(painter);
  }

 private:
  FigureWindow& owner_;
};

FigureWindow::FigureWindow(QWidget* owner, const QString& title) : QWidget(owner, Qt::Window) {
  setWindowTitle(title);
  view_ = new FigureArea(*this);
  actions_ = new FigureActions(
      this, [this]() -> std::shared_ptr<const Figure> { return figure_; },
      [this] { return data_; });
  actions_->AddContextMenu(view_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QAction* action :
       {actions_->ExportPicture(), actions_->ExportData(), actions_->CopyPicture()}) {
    auto* button = new QPushButton(action->text().remove('&'), this);
    button->setToolTip(action->shortcut().toString(QKeySequence::NativeText));
    connect(button, &QPushButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::changed, button,
            [button, action] { button->setEnabled(action->isEnabled()); });
    buttons->addWidget(button);
  }
  layout_ = new QVBoxLayout(this);
  layout_->addWidget(view_, 1);
  layout_->addLayout(buttons);
  resize(680, 560);
  actions_->SetEnabled(false);
}

QWidget* FigureWindow::View() const {
  return view_;
}

void FigureWindow::SetDataWriter(FigureActions::DataWriter writer) {
  actions_->SetDataWriter(std::move(writer));
  writer_ = true;
}

void FigureWindow::AddBelowFigure(QWidget* widget, int stretch) {
  layout_->insertWidget(layout_->count() - 1, widget, stretch);
}

void FigureWindow::Show(std::shared_ptr<Figure> figure, std::optional<CsvTable> numbers) {
  Replace(std::move(figure), std::move(numbers));
  show();
  raise();
  activateWindow();
}

void FigureWindow::Replace(std::shared_ptr<Figure> figure, std::optional<CsvTable> numbers) {
  figure_ = std::move(figure);
  data_ = std::move(numbers);
  if (figure_) figure_->Fit(view_->size());
  view_->setVisible(figure_ != nullptr);
  actions_->SetEnabled(figure_ != nullptr);
  actions_->ExportData()->setEnabled(data_.has_value() || writer_);
  view_->update();
}

}  // namespace platform
