// What every chart of the sweeps shares: its size, the white ground and title, the fonts,
// the spacing and the drawing of axes' labels, so that each chart paints only its own data.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPen>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include "platform/figures/figure.h"

namespace quorvel::charts {

// A chart laid out for the size it is given (by default a 640 x 480 figure).
class Chart : public platform::Figure {
 public:
  QSize Size() const override { return size_; }
  void Fit(QSize available) override { size_ = available.expandedTo(kMinimumSize); }

 protected:
  static constexpr QSize kMinimumSize{320, 240};
  QSize size_{640, 480};
};

inline constexpr double kPad = 12;  // between the figure's edge and what it holds
inline constexpr double kGap = 6;   // between a tick label and its axis or title
inline constexpr double kTick = 4;  // length of a tick mark
inline const QColor kFrame(96, 96, 96);

QFont ChartFont(int pixels, bool bold = false);
// The one-pixel pen of frames and tick marks.
QPen FramePen();
QString Text(double value);

// Of items `space` pixels apart, every how many can carry a label `extent` pixels long
// without touching its neighbours: 1, 2, 5, 10, 20, 50, ...
int LabelStep(double space, double extent);
// A round step (1, 2 or 5 times a power of ten) near span / count.
double RoundStep(double span, int count);

// Paints the white ground of the whole figure and its title, smoothing edges from there on.
void BeginChart(QPainter& painter, const QSizeF& size, const QString& title);
// Where what lies under the title may start.
double TitleBottom(QPainter& painter);
// A text turned a quarter to the left, centred on `centre`.
void DrawUpwards(QPainter& painter, QPointF centre, const QString& text);
// The caption of a chart with nothing to show, in the middle of `area`.
void DrawNoValues(QPainter& painter, const QRectF& area, const QString& text);

}  // namespace quorvel::charts
