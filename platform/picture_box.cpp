#include "platform/picture_box.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>

#include "platform/twips.h"

namespace platform {

PictureBox::PictureBox(Scale scale, QWidget* parent) : QFrame(parent), scale_(scale) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setAttribute(Qt::WA_OpaquePaintEvent);
  sinceRepaint_.start();
}

void PictureBox::SetBackColour(common::Colour colour) {
  backColour_ = colour;
  ResetImage();
  rasterised_ = 0;
  update();
}

double PictureBox::UnitsPerPixel() const {
  return scale_ == Scale::Twips ? static_cast<double>(kTwipsPerPixel) : 1.0;
}

float PictureBox::ScaleWidth() const {
  return static_cast<float>(contentsRect().width() * UnitsPerPixel());
}

float PictureBox::ScaleHeight() const {
  return static_cast<float>(contentsRect().height() * UnitsPerPixel());
}

void PictureBox::Record(common::Primitive primitive) {
  primitives_.push_back(std::move(primitive));
  // A run never returns to the event loop; look at the clock now and then so the picture
  // still moves while it draws.
  if ((++sinceCheck_ & 1023u) == 0) Refresh(false);
}

void PictureBox::Point(float x, float y) {
  Record({common::Primitive::Kind::Point, foreColour_, x, y, 0, 0, {}});
}

void PictureBox::Line(float x1, float y1, float x2, float y2) {
  Record({common::Primitive::Kind::Line, foreColour_, x1, y1, x2, y2, {}});
}

void PictureBox::Circle(float x, float y, float radius) {
  Record({common::Primitive::Kind::Circle, foreColour_, x, y, radius, 0, {}});
}

void PictureBox::SetCurrentPosition(float x, float y) {
  currentX_ = x;
  currentY_ = y;
}

void PictureBox::Print(const std::string& text) {
  Record({common::Primitive::Kind::Text, foreColour_, currentX_, currentY_, 0, 0, text});
}

void PictureBox::Clear() {
  primitives_.clear();
  rasterised_ = 0;
  ResetImage();
  update();
}

void PictureBox::Refresh(bool force) {
  if (!force && sinceRepaint_.elapsed() < repaintIntervalMs_) return;
  sinceRepaint_.restart();
  ++repaints_;
  if (isVisible()) {
    repaint();
  } else {
    RasterisePending();
  }
}

QImage PictureBox::Snapshot() {
  RasterisePending();
  return image_;
}

void PictureBox::ResetImage() {
  const qreal dpr = devicePixelRatioF();
  const QSize size = contentsRect().size().expandedTo(QSize(1, 1)) * dpr;
  if (image_.size() != size) {
    image_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
  }
  image_.setDevicePixelRatio(dpr);
  image_.fill(ToQColor(backColour_));
}

void PictureBox::RasterisePending() {
  if (image_.isNull()) ResetImage();
  if (rasterised_ >= primitives_.size()) return;
  QPainter painter(&image_);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setFont(font());
  const double scale = 1.0 / UnitsPerPixel();
  painter.scale(scale, scale);
  QPen pen;
  pen.setCosmetic(true);
  pen.setWidth(1);
  painter.setBrush(Qt::NoBrush);

  // Consecutive lines of one colour go to the painter in one batch.
  std::vector<QLineF> batch;
  common::Colour batchColour = 0;
  auto flush = [&] {
    if (batch.empty()) return;
    pen.setColor(ToQColor(batchColour));
    painter.setPen(pen);
    painter.drawLines(batch.data(), static_cast<int>(batch.size()));
    batch.clear();
  };
  for (size_t i = rasterised_; i < primitives_.size(); ++i) {
    const common::Primitive& p = primitives_[i];
    if (p.kind == common::Primitive::Kind::Line) {
      if (!batch.empty() && p.colour != batchColour) flush();
      batchColour = p.colour;
      batch.emplace_back(p.x1, p.y1, p.x2, p.y2);
      continue;
    }
    flush();
    pen.setColor(ToQColor(p.colour));
    painter.setPen(pen);
    switch (p.kind) {
      case common::Primitive::Kind::Point:
        painter.drawPoint(QPointF(p.x1, p.y1));
        break;
      case common::Primitive::Kind::Circle:
        painter.drawEllipse(QPointF(p.x1, p.y1), p.x2, p.x2);
        break;
      case common::Primitive::Kind::Text: {
        // The text's top-left corner stands at the position, in unscaled font units.
        painter.save();
        painter.resetTransform();
        const QPointF at(p.x1 * scale, p.y1 * scale);
        painter.drawText(at + QPointF(0, painter.fontMetrics().ascent()),
                         QString::fromStdString(p.text));
        painter.restore();
        break;
      }
      case common::Primitive::Kind::Line:
        break;
    }
  }
  flush();
  rasterised_ = primitives_.size();
}

void PictureBox::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  RasterisePending();
  QPainter painter(this);
  painter.drawImage(contentsRect().topLeft(), image_);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  ResetImage();
  rasterised_ = 0;  // everything recorded is drawn again at the new size
}

}  // namespace platform
