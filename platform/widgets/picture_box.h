// The drawing surface of both windows. It keeps every primitive drawn since the last
// clear (tests read their coordinates) and rasterises them into a backing image only when
// a repaint is due, so that the millions of short segments of a sweep, cleared before
// anyone could see most of them, cost little more than recording them.
#pragma once

#include <QElapsedTimer>
#include <QFrame>
#include <QImage>
#include <QPainter>
#include <vector>

#include "common/drawing_surface.h"

namespace platform {

class PictureBox : public QFrame, public common::DrawingSurface {
  Q_OBJECT
 public:
  enum class Scale { Twips, Pixels };

  explicit PictureBox(Scale scale, QWidget* parent = nullptr);

  void SetBackColour(common::Colour colour);
  common::Colour BackColourValue() const { return backColour_; }
  // Shortest time between two repaints during a run.
  void SetRepaintInterval(int milliseconds) { repaintIntervalMs_ = milliseconds; }

  // common::DrawingSurface, in the box's scale units (twips or pixels).
  float ScaleWidth() const override;
  float ScaleHeight() const override;
  void SetForeColour(common::Colour colour) override { foreColour_ = colour; }
  void Point(float x, float y) override;
  void Line(float x1, float y1, float x2, float y2) override;
  void Circle(float x, float y, float radius) override;
  void SetCurrentPosition(float x, float y) override;
  void Print(const std::string& text) override;
  void Clear() override;
  // Repaints now when forced, or when the last repaint is older than the interval. A forced
  // repaint of a shown box within one screen frame (kFrameMs) of the last is queued.
  void Refresh(bool force) override;
  // What a command thread drew comes in one piece: it is recorded whole and painted with
  // the next repaint, not piece by piece while it is recorded.
  void Replay(std::vector<common::Primitive>&& drawn) override;

 signals:
  // Just before the box repaints itself during a command: the moment for other displays
  // that wait for a repaint to show theirs too.
  void repainting();

 public:
  // Everything drawn since the last clear, in scale units.
  const std::vector<common::Primitive>& Primitives() const;
  // The picture as it is shown, with everything recorded rasterised.
  QImage Snapshot();
  // Paints the picture as the box shows it, its back colour and everything recorded, in
  // the box's pixels with the inner area's top-left corner at the painter's origin; the
  // image shown on screen is painted by the same routine.
  void PaintPicture(QPainter& painter) const;
  int RepaintCount() const { return repaints_; }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // What is recorded of a primitive; texts are kept aside, so that the millions of
  // segments of a sweep are small to write and cleared at once.
  struct Stroke {
    common::Primitive::Kind kind;
    common::Colour colour;
    float x1, y1, x2, y2;
  };

  void Record(common::Primitive::Kind kind, float x1, float y1, float x2, float y2);
  void RasterisePending();
  // Paints strokes_[from, to), whose first text is texts_[firstText]; returns the index of
  // the text after the last one painted.
  size_t PaintStrokes(QPainter& painter, size_t from, size_t to, size_t firstText) const;
  // Paints the box once the event loop runs again.
  void ShowLater();
  void ResetImage();
  double UnitsPerPixel() const;
  void UpdateScaleSize() const;

  Scale scale_;
  common::Colour backColour_ = common::Rgb(255, 255, 255);
  common::Colour foreColour_ = 0;
  float currentX_ = 0, currentY_ = 0;
  std::vector<Stroke> strokes_;  // strokes_[0, strokeCount_) recorded; the rest is room
  size_t strokeCount_ = 0;
  std::vector<std::string> texts_;  // of the Text strokes, in their order
  size_t rasterised_ = 0;           // strokes_[0, rasterised_) are in image_ ...
  size_t rasterisedTexts_ = 0;      // ... with texts_[0, rasterisedTexts_)
  // strokes_[0, primitives_.size()) as primitives, made when they are asked for.
  mutable std::vector<common::Primitive> primitives_;
  mutable size_t listedTexts_ = 0;
  QImage image_;
  QElapsedTimer sinceRepaint_;
  static constexpr int kFrameMs = 16;
  int repaintIntervalMs_ = 40;
  bool imageStale_ = false;  // cleared: image_ is to be filled with the back colour
  bool showQueued_ = false;
  mutable float scaleWidth_ = 0, scaleHeight_ = 0;  // of the inner area ...
  mutable QSize scaleSizeFor_;                      // ... of a box of this size
  mutable bool scaleSizeValid_ = false;
  unsigned sinceCheck_ = 0;
  bool replaying_ = false;
  int repaints_ = 0;
};

}  // namespace platform
