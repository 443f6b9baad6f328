#include "quorvel/charts/sk_heat_map.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace quorvel::charts {
namespace {

const QColor kMissing(200, 200, 200);  // a cell without a value
constexpr double kBarWidth = 16;       // the colour scale's

// Stops of the colour scale, evenly spaced from frequency 0 to 1.
constexpr std::array<QRgb, 5> kScale = {qRgb(68, 1, 84), qRgb(59, 82, 139), qRgb(33, 145, 140),
                                        qRgb(94, 201, 98), qRgb(253, 231, 37)};

// Where the cells and the labels go, for the figure's size and the labels' font.
struct HeatMapLayout {
  size_t rows = 0, columns = 0;
  std::vector<QString> sLabels, kLabels;
  double sLabelWidth = 0, kLabelWidth = 0, scaleLabelWidth = 0;
  double line = 0;  // the height of a line of labels
  QRectF plot;
  double cellWidth = 0, cellHeight = 0;
};

// `widest` is the block with the most runs: its K label the columns.
HeatMapLayout LayOut(QPainter& painter, const QSizeF& size, double top,
                     const std::vector<SKBlock>& blocks, const SKBlock& widest) {
  HeatMapLayout l;
  l.rows = blocks.size();
  l.columns = widest.RPlusFreq.size();
  const QFontMetricsF metrics(ChartFont(12), painter.device());
  for (const SKBlock& block : blocks) {
    l.sLabels.push_back(Text(block.S));
    l.sLabelWidth = std::max(l.sLabelWidth, metrics.horizontalAdvance(l.sLabels.back()));
  }
  for (size_t c = 0; c < l.columns; ++c) {
    l.kLabels.push_back(c < widest.K.size() ? Text(widest.K[c]) : QString());
    l.kLabelWidth = std::max(l.kLabelWidth, metrics.horizontalAdvance(l.kLabels.back()));
  }
  l.line = metrics.height();
  l.scaleLabelWidth = metrics.horizontalAdvance("0.75");

  const double left = kPad + l.line + kGap + l.sLabelWidth + kGap + kTick;
  const double right =
      kPad + l.line + kGap + l.scaleLabelWidth + kGap + kTick + kBarWidth + 2 * kPad;
  const double bottom = kPad + l.line + kGap + l.line + kGap + kTick;
  l.plot = QRectF(left, top, size.width() - left - right, size.height() - top - bottom);
  l.cellWidth = l.plot.width() / static_cast<double>(l.columns);
  l.cellHeight = l.plot.height() / static_cast<double>(l.rows);
  return l;
}

void DrawCells(QPainter& painter, const HeatMapLayout& l, const std::vector<SKBlock>& blocks) {
  // Cells overlap their right and upper neighbours by a pixel, so that no seam of
  // background shows between them in a viewer that smooths edges.
  painter.setPen(Qt::NoPen);
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (size_t r = 0; r < l.rows; ++r) {
    const SKBlock& block = blocks[r];
    const double y = l.plot.bottom() - static_cast<double>(r + 1) * l.cellHeight;
    for (size_t c = 0; c < l.columns; ++c) {
      const double value = c < block.RPlusFreq.size() ? block.RPlusFreq[c] : std::nan("");
      const double x = l.plot.left() + static_cast<double>(c) * l.cellWidth;
      const double overlapX = c + 1 < l.columns ? 1 : 0;
      const double overlapY = r + 1 < l.rows ? 1 : 0;
      painter.fillRect(QRectF(x, y - overlapY, l.cellWidth + overlapX, l.cellHeight + overlapY),
                       FrequencyColour(value));
    }
  }
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(FramePen());
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(l.plot);
}

// K along the bottom, S up the left side, at the centres of the cells.
void DrawAxes(QPainter& painter, const HeatMapLayout& l, const QSizeF& size,
              const SKSweepResults& results) {
  const QRectF& plot = l.plot;
  const int kStep = LabelStep(l.cellWidth, l.kLabelWidth);
  for (size_t c = 0; c < l.columns; c += static_cast<size_t>(kStep)) {
    const double x = plot.left() + (static_cast<double>(c) + 0.5) * l.cellWidth;
    painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + kTick));
    painter.drawText(QRectF(x - 100, plot.bottom() + kTick + kGap / 2, 200, l.line),
                     Qt::AlignHCenter | Qt::AlignTop, l.kLabels[c]);
  }
  const int sStep = LabelStep(l.cellHeight, l.line);
  for (size_t r = 0; r < l.rows; r += static_cast<size_t>(sStep)) {
    const double y = plot.bottom() - (static_cast<double>(r) + 0.5) * l.cellHeight;
    painter.drawLine(QPointF(plot.left() - kTick, y), QPointF(plot.left(), y));
    painter.drawText(QRectF(kPad + l.line + kGap, y - l.line / 2, l.sLabelWidth, l.line),
                     Qt::AlignRight | Qt::AlignVCenter, l.sLabels[r]);
  }
  painter.setPen(Qt::black);
  painter.drawText(QRectF(plot.left(), size.height() - kPad - l.line, plot.width(), l.line),
                   Qt::AlignCenter, QString::fromStdString(results.Columns));
  DrawUpwards(painter, QPointF(kPad + l.line / 2, plot.center().y()),
              QString::fromStdString(results.Rows));
}

void DrawColourScale(QPainter& painter, const HeatMapLayout& l, const QSizeF& size) {
  const QRectF bar(l.plot.right() + 2 * kPad, l.plot.top(), kBarWidth, l.plot.height());
  QLinearGradient gradient(bar.bottomLeft(), bar.topLeft());
  for (size_t i = 0; i < kScale.size(); ++i) {
    gradient.setColorAt(static_cast<double>(i) / static_cast<double>(kScale.size() - 1),
                        QColor(kScale[i]));
  }
  painter.fillRect(bar, gradient);
  painter.setPen(FramePen());
  painter.drawRect(bar);
  for (double f : {0.0, 0.25, 0.5, 0.75, 1.0}) {
    const double y = bar.bottom() - f * bar.height();
    painter.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + kTick, y));
    painter.drawText(
        QRectF(bar.right() + kTick + kGap / 2, y - l.line / 2, l.scaleLabelWidth, l.line),
        Qt::AlignLeft | Qt::AlignVCenter, Text(f));
  }
  painter.setPen(Qt::black);
  DrawUpwards(painter, QPointF(size.width() - kPad - l.line / 2, bar.center().y()),
              "Final R+ frequency");
}

}  // namespace

QColor FrequencyColour(double frequency) {
  if (!std::isfinite(frequency)) return kMissing;
  const double at = std::clamp(frequency, 0.0, 1.0) * (kScale.size() - 1);
  const size_t below = std::min(static_cast<size_t>(at), kScale.size() - 2);
  const double t = at - static_cast<double>(below);
  auto mix = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
  const QRgb a = kScale[below], b = kScale[below + 1];
  return QColor(mix(qRed(a), qRed(b)), mix(qGreen(a), qGreen(b)), mix(qBlue(a), qBlue(b)));
}

void SKHeatMap::Paint(QPainter& painter) const {
  painter.save();
  const QSizeF size(size_);
  BeginChart(painter, size, QString::fromStdString(results_.Title));

  const auto& blocks = results_.Blocks;
  const SKBlock* widest = nullptr;
  for (const SKBlock& block : blocks) {
    if (block.RPlusFreq.size() > (widest ? widest->RPlusFreq.size() : 0)) widest = &block;
  }
  const double top = TitleBottom(painter);
  if (!widest) {
    DrawNoValues(painter, QRectF(0, top, size.width(), size.height() - top),
                 QString::fromStdString("The sweep ran no value of " + results_.Rows + "."));
  } else {
    painter.setFont(ChartFont(12));
    const HeatMapLayout layout = LayOut(painter, size, top, blocks, *widest);
    DrawCells(painter, layout, blocks);
    DrawAxes(painter, layout, size, results_);
    DrawColourScale(painter, layout, size);
  }
  painter.restore();
}

}  // namespace quorvel::charts
