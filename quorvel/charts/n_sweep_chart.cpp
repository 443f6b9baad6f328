#include "quorvel/charts/n_sweep_chart.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <vector>

namespace quorvel::charts {
namespace {

const QColor kRPlus(192, 0, 0);  // dark red: the R+ carriers, as on the curves
const QColor kRun(kRPlus.red(), kRPlus.green(), kRPlus.blue(), 70);
const QColor kGrid(224, 224, 224);

// Log10(N) across, the frequency (0 to 1) up, with a margin either side of the values.
struct Axes {
  QRectF plot;
  double xMin = 0, xMax = 0;
  double X(double x) const { return plot.left() + (x - xMin) / (xMax - xMin) * plot.width(); }
  double Y(double y) const { return plot.bottom() - y * plot.height(); }
};

Axes AxesFor(const QRectF& plot, const std::vector<NSweepPoint>& points) {
  Axes axes{plot, points.front().Log10N, points.front().Log10N};
  for (const NSweepPoint& p : points) {
    axes.xMin = std::min<double>(axes.xMin, p.Log10N);
    axes.xMax = std::max<double>(axes.xMax, p.Log10N);
  }
  const double span = axes.xMax - axes.xMin;
  const double margin = span > 0 ? span * 0.05 : 0.5;
  axes.xMin -= margin;
  axes.xMax += margin;
  return axes;
}

// The legend, centred on the line at `y`.
void DrawLegend(QPainter& painter, const QSizeF& size, const QFontMetricsF& metrics, double y) {
  const double line = metrics.height();
  const QString mean = QString::fromUtf8("mean \u00B1 one S.D.");
  const QString runs = "each run";
  const double width = 14 + kGap + metrics.horizontalAdvance(mean) + 3 * kGap + 14 + kGap +
                       metrics.horizontalAdvance(runs);
  double x = (size.width() - width) / 2;
  painter.setPen(QPen(kRPlus, 1.5));
  painter.drawLine(QPointF(x, y), QPointF(x + 14, y));
  painter.setBrush(kRPlus);
  painter.drawEllipse(QPointF(x + 7, y), 3.5, 3.5);
  x += 14 + kGap;
  painter.setPen(Qt::black);
  painter.drawText(QRectF(x, y - line / 2, 1000, line), Qt::AlignLeft | Qt::AlignVCenter, mean);
  x += metrics.horizontalAdvance(mean) + 3 * kGap;
  painter.setPen(Qt::NoPen);
  painter.setBrush(kRun);
  painter.drawEllipse(QPointF(x + 7, y), 2.5, 2.5);
  x += 14 + kGap;
  painter.setPen(Qt::black);
  painter.drawText(QRectF(x, y - line / 2, 1000, line), Qt::AlignLeft | Qt::AlignVCenter, runs);
}

// Grid and ticks: frequencies by 0.2, Log10(N) by a round step; the frame and the captions.
void DrawGrid(QPainter& painter, const Axes& axes, const QSizeF& size, double line,
              const QString& across) {
  const QRectF& plot = axes.plot;
  QPen gridPen(kGrid);
  gridPen.setWidthF(1);
  const QPen framePen = FramePen();
  for (int i = 0; i <= 5; ++i) {
    const double f = i / 5.0;
    painter.setPen(gridPen);
    painter.drawLine(QPointF(plot.left(), axes.Y(f)), QPointF(plot.right(), axes.Y(f)));
    painter.setPen(framePen);
    painter.drawLine(QPointF(plot.left() - kTick, axes.Y(f)), QPointF(plot.left(), axes.Y(f)));
    painter.drawText(QRectF(kPad + line + kGap, axes.Y(f) - line / 2,
                            plot.left() - kPad - line - 2 * kGap, line),
                     Qt::AlignRight | Qt::AlignVCenter, Text(f));
  }
  const double step = RoundStep(axes.xMax - axes.xMin, 10);
  for (double k = std::ceil(axes.xMin / step); k * step <= axes.xMax; k += 1) {
    const double x = axes.X(k * step);
    painter.setPen(gridPen);
    painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    painter.setPen(framePen);
    painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + kTick));
    painter.drawText(QRectF(x - 100, plot.bottom() + kTick + kGap / 2, 200, line),
                     Qt::AlignHCenter | Qt::AlignTop, Text(k * step));
  }
  painter.setPen(framePen);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(plot);
  painter.setPen(Qt::black);
  painter.drawText(QRectF(plot.left(), size.height() - kPad - line, plot.width(), line),
                   Qt::AlignCenter, across);
  DrawUpwards(painter, QPointF(kPad + line / 2, plot.center().y()), "Final R+ frequency");
}

// Every run as a faint dot, beneath one S.D. either side of each mean and the means, joined.
void DrawRuns(QPainter& painter, const Axes& axes, const std::vector<NSweepPoint>& points) {
  painter.setClipRect(axes.plot.adjusted(-4, -4, 4, 4));
  painter.setPen(Qt::NoPen);
  painter.setBrush(kRun);
  for (const NSweepPoint& p : points) {
    for (double outcome : p.Outcomes) {
      if (std::isfinite(outcome))
        painter.drawEllipse(QPointF(axes.X(p.Log10N), axes.Y(outcome)), 2.5, 2.5);
    }
  }
  painter.setPen(QPen(kRPlus, 1.2));
  for (const NSweepPoint& p : points) {
    if (!std::isfinite(p.Mean) || !std::isfinite(p.Deviation)) continue;
    const double x = axes.X(p.Log10N);
    // A frequency stays within 0 and 1: a bar reaching past one ends there without its cap
    // (drawn so rather than clipped, since SVG files keep no clipping).
    const double lowValue = p.Mean - p.Deviation, highValue = p.Mean + p.Deviation;
    const double low = axes.Y(std::max(lowValue, 0.0)), high = axes.Y(std::min(highValue, 1.0));
    painter.drawLine(QPointF(x, low), QPointF(x, high));
    if (lowValue >= 0) painter.drawLine(QPointF(x - 4, low), QPointF(x + 4, low));
    if (highValue <= 1) painter.drawLine(QPointF(x - 4, high), QPointF(x + 4, high));
  }
  QPainterPath path;
  bool started = false;
  for (const NSweepPoint& p : points) {
    if (!std::isfinite(p.Mean)) continue;
    const QPointF at(axes.X(p.Log10N), axes.Y(p.Mean));
    if (started) {
      path.lineTo(at);
    } else {
      path.moveTo(at);
      started = true;
    }
  }
  painter.setPen(QPen(kRPlus, 1.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
  painter.setBrush(kRPlus);
  for (const NSweepPoint& p : points) {
    if (std::isfinite(p.Mean))
      painter.drawEllipse(QPointF(axes.X(p.Log10N), axes.Y(p.Mean)), 3.5, 3.5);
  }
}

}  // namespace

void NSweepChart::Paint(QPainter& painter) const {
  painter.save();
  const QSizeF size(size_);
  BeginChart(painter, size,
             QString::fromUtf8("Mean R+ frequency \u00B1 one S.D. against ") +
                 QString::fromStdString(results_.Across));

  const QFont font = ChartFont(12);
  painter.setFont(font);
  const QFontMetricsF metrics(font, painter.device());
  const double line = metrics.height();
  const double titleBottom = TitleBottom(painter);
  // The legend, one line under the title.
  DrawLegend(painter, size, metrics, titleBottom - kPad / 2 + line / 2);

  const auto& points = results_.Points;
  const double top = titleBottom + line + kGap;
  if (points.empty()) {
    DrawNoValues(painter, QRectF(0, top, size.width(), size.height() - top),
                 QString::fromStdString("The sweep ran no value of " + results_.Across + "."));
  } else {
    const double left = kPad + line + kGap + metrics.horizontalAdvance("0.8") + kGap + kTick;
    const double bottom = kPad + line + kGap + line + kGap + kTick;
    const Axes axes = AxesFor(
        QRectF(left, top, size.width() - left - 2 * kPad, size.height() - top - bottom), points);
    DrawGrid(painter, axes, size, line, QString::fromStdString(results_.Across));
    DrawRuns(painter, axes, points);
  }
  painter.restore();
}

}  // namespace quorvel::charts
