#include "platform/widgets/picture_box.h"

#include <algorithm>

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>

#include "platform/figures/figure.h"
#include "platform/widgets/twips.h"

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
  rasterisedTexts_ = 0;
  update();
}

double PictureBox::UnitsPerPixel() const {
  return scale_ == Scale::Twips ? static_cast<double>(kTwipsPerPixel) : 1.0;
}

void PictureBox::UpdateScaleSize() const {
  // A run asks for the scale size at every generation; the inner size changes only with
  // the size of the box or its margins.
  if (scaleSizeValid_ && size() == scaleSizeFor_) return;
  scaleSizeFor_ = size();
  const QSize inner = contentsRect().size();
  scaleWidth_ = static_cast<float>(inner.width() * UnitsPerPixel());
  scaleHeight_ = static_cast<float>(inner.height() * UnitsPerPixel());
  scaleSizeValid_ = true;
}

float PictureBox::ScaleWidth() const {
  UpdateScaleSize();
  return scaleWidth_;
}

float PictureBox::ScaleHeight() const {
  UpdateScaleSize();
  return scaleHeight_;
}

bool PictureBox::event(QEvent* event) {
  if (event->type() == QEvent::ContentsRectChange) scaleSizeValid_ = false;
  return QFrame::event(event);
}

void PictureBox::Record(common::Primitive::Kind kind, float x1, float y1, float x2, float y2) {
  if (strokeCount_ == strokes_.size()) [[unlikely]]
    strokes_.resize(std::max<size_t>(4096, 2 * strokes_.size()));
  strokes_[strokeCount_++] = {kind, foreColour_, x1, y1, x2, y2};
  // A run never returns to the event loop; look at the clock now and then so the picture
  // still moves while it draws.
  if ((++sinceCheck_ & 1023u) == 0 && !replaying_) [[unlikely]]
    Refresh(false);
}

void PictureBox::Replay(std::vector<common::Primitive>&& drawn) {
  replaying_ = true;
  DrawingSurface::Replay(std::move(drawn));
  replaying_ = false;
  update();
}

void PictureBox::Point(float x, float y) {
  Record(common::Primitive::Kind::Point, x, y, 0, 0);
}

void PictureBox::Line(float x1, float y1, float x2, float y2) {
  Record(common::Primitive::Kind::Line, x1, y1, x2, y2);
}

void PictureBox::Circle(float x, float y, float radius) {
  Record(common::Primitive::Kind::Circle, x, y, radius, 0);
}

void PictureBox::SetCurrentPosition(float x, float y) {
  currentX_ = x;
  currentY_ = y;
}

void PictureBox::Print(const std::string& text) {
  texts_.push_back(text);
  Record(common::Primitive::Kind::Text, currentX_, currentY_, 0, 0);
}

const std::vector<common::Primitive>& PictureBox::Primitives() const {
  for (size_t i = primitives_.size(); i < strokeCount_; ++i) {
    const Stroke& s = strokes_[i];
    primitives_.push_back(
        {s.kind, s.colour, s.x1, s.y1, s.x2, s.y2,
         s.kind == common::Primitive::Kind::Text ? texts_[listedTexts_++] : std::string()});
  }
  return primitives_;
}

void PictureBox::Clear() {
  strokeCount_ = 0;  // the storage stays for the next run of a sweep
  texts_.clear();
  primitives_.clear();
  listedTexts_ = 0;
  rasterised_ = 0;
  rasterisedTexts_ = 0;
  // The blank image is made when it is next shown: a sweep clears after every run, far
  // more often than anyone sees the box.
  imageStale_ = true;
  ShowLater();
}

void PictureBox::ShowLater() {
  // Not update(): Qt paints every dirty widget with the next synchronous repaint of any
  // control, so the progress displays of a sweep would repaint this box after every run.
  if (showQueued_) return;
  showQueued_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        showQueued_ = false;
        update();
      },
      Qt::QueuedConnection);
}

void PictureBox::Refresh(bool force) {
  if (!force && sinceRepaint_.elapsed() < repaintIntervalMs_) return;
  if (force && repaints_ > 0 && sinceRepaint_.elapsed() < kFrameMs && isVisible()) {
    // Sooner than a screen shows its next frame: the picture is shown with the next repaint
    // due, or as soon as the command gives the window back.
    ShowLater();
    return;
  }
  sinceRepaint_.restart();
  ++repaints_;
  emit repainting();
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
  imageStale_ = false;
}

void PictureBox::RasterisePending() {
  if (image_.isNull() || imageStale_) ResetImage();
  if (rasterised_ >= strokeCount_) return;
  QPainter painter(&image_);
  painter.setFont(font());
  rasterisedTexts_ = PaintStrokes(painter, rasterised_, strokeCount_, rasterisedTexts_);
  rasterised_ = strokeCount_;
}

void PictureBox::PaintPicture(QPainter& painter) const {
  const QRect inner(QPoint(0, 0), contentsRect().size());
  if (painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster) {
    // Pixels are painted on an image of the box's size, as the screen's are, so that what
    // lies on the edge of the box is drawn or cut off exactly as on screen.
    const qreal ratio = painter.device()->devicePixelRatioF();
    QImage image(inner.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(ToQColor(backColour_));
    QPainter imagePainter(&image);
    imagePainter.setFont(font());
    PaintStrokes(imagePainter, 0, strokeCount_, 0);
    imagePainter.end();
    painter.drawImage(QPointF(0, 0), image);
    return;
  }
  painter.save();
  painter.setClipRect(inner, Qt::IntersectClip);
  painter.fillRect(inner, ToQColor(backColour_));
  painter.setFont(PixelSized(font()));
  PaintStrokes(painter, 0, strokeCount_, 0);
  painter.restore();
}

size_t PictureBox::PaintStrokes(QPainter& painter, size_t from, size_t to, size_t firstText) const {
  size_t text = firstText;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  // Scale units become pixels here rather than through the painter's transform: a vector
  // file would otherwise hold strokes scaled down with their coordinates, which some
  // viewers draw as hairlines.
  const double k = 1.0 / UnitsPerPixel();
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
  for (size_t i = from; i < to; ++i) {
    const Stroke& p = strokes_[i];
    if (p.kind == common::Primitive::Kind::Line) {
      if (!batch.empty() && p.colour != batchColour) flush();
      batchColour = p.colour;
      batch.emplace_back(p.x1 * k, p.y1 * k, p.x2 * k, p.y2 * k);
      continue;
    }
    flush();
    pen.setColor(ToQColor(p.colour));
    painter.setPen(pen);
    switch (p.kind) {
      case common::Primitive::Kind::Point:
        painter.drawPoint(QPointF(p.x1 * k, p.y1 * k));
        break;
      case common::Primitive::Kind::Circle:
        painter.drawEllipse(QPointF(p.x1 * k, p.y1 * k), p.x2 * k, p.x2 * k);
        break;
      case common::Primitive::Kind::Text:
        // The text's top-left corner stands at the position.
        painter.drawText(QPointF(p.x1 * k, p.y1 * k + painter.fontMetrics().ascent()),
                         QString::fromStdString(texts_[text++]));
        break;
      case common::Primitive::Kind::Line:
        break;
    }
  }
  flush();
  painter.restore();
  return text;
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
  // Everything recorded is drawn again at the new size.
  rasterised_ = 0;
  rasterisedTexts_ = 0;
}

}  // namespace platform
