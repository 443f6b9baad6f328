#include "quorvel/window/quorvel_window.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "platform/picture_figure.h"

namespace quorvel {

QuorvelWindow::QuorvelWindow(const platform::ProgramInfo& info)
    : ProgramWindow(new MainWindow, info) {
  form_ = static_cast<MainWindow*>(ProgramWindow::Form());

  picture_ = new platform::FigureActions(
      this, [this] { return Picture(); },
      []() -> std::optional<platform::CsvTable> { return std::nullopt; });
  AddFigureActions(*picture_);
  picture_->AddContextMenu(form_->PictBox());
  OpenParameters()->setVisible(false);
  SaveParameters()->setVisible(false);

  start_ = AddRunAction("&Start simulation", Qt::CTRL | Qt::Key_R, true);
  connect(start_, &QAction::triggered, this,
          [this] { platform::ClickAsUser(form_->StartButton()); });
  RunMenu()->addSeparator();
  showResults_ = RunMenu()->addAction("Show sweep &results");
  showResults_->setEnabled(false);
  connect(showResults_, &QAction::triggered, this, [this] {
    if (results_) results_->Show(nullptr, std::nullopt);
  });
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
