#include "tessaline/window/tessaline_window.h"

#include <QAction>

#include "platform/picture_figure.h"

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
  // Parameter sets of the grid are not offered yet.
  OpenParameters()->setVisible(false);
  SaveParameters()->setVisible(false);
  picture_->AddContextMenu(form_->PictBox());

  // Start repeats the selected simulation with the grid's values, as the button does.
  start_ = AddRunAction("&Start", Qt::CTRL | Qt::Key_R, true);
  connect(start_, &QAction::triggered, this, [this] { platform::ClickAsUser(form_->Execute()); });
}

std::shared_ptr<const platform::Figure> TessalineWindow::Picture() const {
  std::vector<const QLabel*> axes;
  for (int i = 1; i <= kAxisLabels; ++i) axes.push_back(form_->lab(i));
  return std::make_shared<platform::PictureFigure>(*form_->PictBox(),
                                                   platform::LabelsBeside(*form_->PictBox(), axes),
                                                   form_->FigTitle()->text());
}

}  // namespace tessaline
