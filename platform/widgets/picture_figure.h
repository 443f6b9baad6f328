// The picture box of a window as a figure: the recorded picture with the window's labels
// that lie around it (axis ends, axis names, legends) at their places, and a title above,
// so that an exported picture stands on its own.
#pragma once

#include <QString>
#include <vector>

#include "platform/figures/figure.h"
#include "platform/widgets/picture_box.h"

class QLabel;
class QWidget;

namespace platform {

// A label of the window as a caption of the figure: its text, font and colours, its
// place relative to the picture box's top-left corner.
FigureLabel LabelBeside(const QLabel& label, const QWidget& picture);
// The labels that are shown, in the order given (later ones cover earlier ones).
std::vector<FigureLabel> LabelsBeside(const QWidget& picture,
                                      const std::vector<const QLabel*>& labels);

class PictureFigure : public Figure {
 public:
  PictureFigure(const PictureBox& box, std::vector<FigureLabel> labels, QString title = {});
  QSize Size() const override;
  void Paint(QPainter& painter) const override;

 private:
  QFont TitleFont() const;
  // The picture box and its labels, relative to the picture box.
  QRect Bounds() const;
  int TitleHeight() const;

  const PictureBox& box_;
  std::vector<FigureLabel> labels_;
  QString title_;
  static constexpr int kMargin = 8;
};

}  // namespace platform
