#include "quorvel/charts/chart_axes.h"

#include <QFontMetricsF>
#include <cmath>

#include "common/number_text.h"

namespace quorvel::charts {

QFont ChartFont(int pixels, bool bold) {
  QFont font;
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QPen FramePen() {
  QPen pen(kFrame);
  pen.setWidthF(1);
  return pen;
}

QString Text(double value) {
  return QString::fromStdString(common::FormatNumber(value));
}

int LabelStep(double space, double extent) {
  for (int step = 1;; step *= 10) {
    for (int factor : {1, 2, 5}) {
      if (step * factor * space >= extent + kGap || step * factor >= 1000000) return step * factor;
    }
  }
}

double RoundStep(double span, int count) {
  const double raw = span / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 5.0}) {
    if (factor * power >= raw) return factor * power;
  }
  return 10 * power;
}

void BeginChart(QPainter& painter, const QSizeF& size, const QString& title) {
  painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setFont(ChartFont(14, true));
  painter.setPen(Qt::black);
  painter.drawText(QRectF(kPad, kPad, size.width() - 2 * kPad, size.height()),
                   Qt::AlignHCenter | Qt::AlignTop, title);
}

double TitleBottom(QPainter& painter) {
  return kPad + QFontMetricsF(ChartFont(14, true), painter.device()).height() + kPad;
}

void DrawUpwards(QPainter& painter, QPointF centre, const QString& text) {
  painter.save();
  painter.translate(centre);
  painter.rotate(-90);
  painter.drawText(QRectF(-500, -50, 1000, 100), Qt::AlignCenter, text);
  painter.restore();
}

void DrawNoValues(QPainter& painter, const QRectF& area, const QString& text) {
  painter.setFont(ChartFont(12));
  painter.setPen(kFrame);
  painter.drawText(area, Qt::AlignCenter, text);
}

}  // namespace quorvel::charts
