#include "platform/widgets/picture_figure.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>

namespace platform {

FigureLabel LabelBeside(const QLabel& label, const QWidget& picture) {
  FigureLabel caption;
  caption.text = label.text();
  const QWidget* window = label.window();
  caption.rect =
      QRect(label.mapTo(window, QPoint(0, 0)) - picture.mapTo(window, QPoint(0, 0)), label.size());
  caption.font = PixelSized(label.font());
  caption.foreground = label.palette().color(label.foregroundRole());
  if (label.autoFillBackground())
    caption.background = label.palette().color(label.backgroundRole());
  caption.flags = static_cast<int>(label.alignment()) | (label.wordWrap() ? Qt::TextWordWrap : 0);
  return caption;
}

std::vector<FigureLabel> LabelsBeside(const QWidget& picture,
                                      const std::vector<const QLabel*>& labels) {
  std::vector<FigureLabel> captions;
  for (const QLabel* label : labels) {
    if (label && !label->isHidden()) captions.push_back(LabelBeside(*label, picture));
  }
  return captions;
}

PictureFigure::PictureFigure(const PictureBox& box, std::vector<FigureLabel> labels, QString title)
    : box_(box), labels_(std::move(labels)), title_(std::move(title)) {}

QFont PictureFigure::TitleFont() const {
  QFont font = PixelSized(box_.font());
  font.setBold(true);
  return font;
}

QRect PictureFigure::Bounds() const {
  QRect bounds(QPoint(0, 0), box_.size());
  for (const FigureLabel& label : labels_) bounds |= label.rect;
  return bounds;
}

int PictureFigure::TitleHeight() const {
  if (title_.trimmed().isEmpty()) return 0;
  const QFontMetrics metrics(TitleFont());
  const QRect wrapped = metrics.boundingRect(QRect(0, 0, Bounds().width(), 10000),
                                             Qt::AlignHCenter | Qt::TextWordWrap, title_);
  return wrapped.height() + kMargin;
}

QSize PictureFigure::Size() const {
  return Bounds().size() + QSize(2 * kMargin, 2 * kMargin + TitleHeight());
}

void PictureFigure::Paint(QPainter& painter) const {
  painter.save();
  painter.fillRect(QRect(QPoint(0, 0), Size()), Qt::white);
  const QRect bounds = Bounds();
  const int titleHeight = TitleHeight();
  if (titleHeight > 0) {
    painter.setFont(TitleFont());
    painter.setPen(Qt::black);
    painter.drawText(QRect(kMargin, kMargin, bounds.width(), titleHeight - kMargin),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, title_);
  }
  painter.translate(kMargin - bounds.left(), kMargin + titleHeight - bounds.top());

  const QRect inner = box_.contentsRect();
  painter.save();
  painter.translate(inner.topLeft());
  box_.PaintPicture(painter);
  painter.restore();
  // The box's sunken border, as a plain line around the picture.
  QPen border(QColor(128, 128, 128));
  border.setCosmetic(true);
  painter.setPen(border);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(inner).adjusted(-0.5, -0.5, 0.5, 0.5));

  for (const FigureLabel& label : labels_) PaintLabel(painter, label);
  painter.restore();
}

}  // namespace platform
