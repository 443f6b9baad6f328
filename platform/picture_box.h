// The drawing surface of both windows. It keeps every primitive drawn since the last
// clear (tests read their coordinates) and rasterises them into a backing image only when
// a repaint is due, so that the millions of short segments of a sweep, cleared before
// anyone could see most of them, cost little more than recording them.
#pragma once

#include <QElapsedTimer>
#include <QFrame>
#include <QImage>
#include <vector>

#include "common/drawing_surface.h"
#include "common/recording_surface.h"

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
  common::Colour ForeColour() const { return foreColour_; }
  void Point(float x, float y) override;
  void Line(float x1, float y1, float x2, float y2) override;
  void Circle(float x, float y, float radius) override;
  void SetCurrentPosition(float x, float y) override;
  void Print(const std::string& text) override;
  void Clear() override;
  // Repaints now when forced, or when the last repaint is older than the interval.
  void Refresh(bool force) override;

  // Everything drawn since the last clear, in scale units.
  const std::vector<common::Primitive>& Primitives() const { return primitives_; }
  // The picture as it is shown, with everything recorded rasterised.
  QImage Snapshot();
  int RepaintCount() const { return repaints_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Record(common::Primitive primitive);
  void RasterisePending();
  void ResetImage();
  double UnitsPerPixel() const;

  Scale scale_;
  common::Colour backColour_ = common::Rgb(255, 255, 255);
  common::Colour foreColour_ = 0;
  float currentX_ = 0, currentY_ = 0;
  std::vector<common::Primitive> primitives_;
  size_t rasterised_ = 0;  // primitives_[0, rasterised_) are in image_
  QImage image_;
  QElapsedTimer sinceRepaint_;
  int repaintIntervalMs_ = 40;
  unsigned sinceCheck_ = 0;
  int repaints_ = 0;
};

}  // namespace platform
