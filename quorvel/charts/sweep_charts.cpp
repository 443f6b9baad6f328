#include "quorvel/charts/sweep_charts.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "common/number_text.h"

namespace quorvel::charts {
namespace {

constexpr double kPad = 12;      // between the figure's edge and what it holds
constexpr double kGap = 6;       // between a tick label and its axis or title
constexpr double kTick = 4;      // length of a tick mark
const QColor kRPlus(192, 0, 0);  // dark red: the R+ carriers, as on the curves
const QColor kFrame(96, 96, 96);
const QColor kGrid(224, 224, 224);
const QColor kMissing(200, 200, 200);  // a cell without a value

QFont ChartFont(int pixels, bool bold = false) {
  QFont font;
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QString Text(double value) {
  return QString::fromStdString(common::FormatNumber(value));
}

// Of items `space` pixels apart, every how many can carry a label `extent` pixels long
// without touching its neighbours: 1, 2, 5, 10, 20, 50, ...
int LabelStep(double space, double extent) {
  for (int step = 1;; step *= 10) {
    for (int factor : {1, 2, 5}) {
      if (step * factor * space >= extent + kGap || step * factor >= 1000000) return step * factor;
    }
  }
}

// A round step (1, 2 or 5 times a power of ten) near span / count.
double RoundStep(double span, int count) {
  const double raw = span / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 5.0}) {
    if (factor * power >= raw) return factor * power;
  }
  return 10 * power;
}

void DrawTitle(QPainter& painter, const QSizeF& size, const QString& title) {
  painter.setFont(ChartFont(14, true));
  painter.setPen(Qt::black);
  painter.drawText(QRectF(kPad, kPad, size.width() - 2 * kPad, size.height()),
                   Qt::AlignHCenter | Qt::AlignTop, title);
}

double TitleBottom(QPainter& painter) {
  return kPad + QFontMetricsF(ChartFont(14, true), painter.device()).height() + kPad;
}

// A text turned a quarter to the left, centred on `centre`.
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

// Stops of the colour scale, evenly spaced from frequency 0 to 1.
constexpr std::array<QRgb, 5> kScale = {qRgb(68, 1, 84), qRgb(59, 82, 139), qRgb(33, 145, 140),
                                        qRgb(94, 201, 98), qRgb(253, 231, 37)};

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
  painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
  painter.setRenderHint(QPainter::Antialiasing, true);
  DrawTitle(painter, size, QString::fromStdString(results_.Title));

  const auto& blocks = results_.Blocks;
  size_t columns = 0;
  const SKBlock* widest = nullptr;
  for (const SKBlock& block : blocks) {
    if (block.RPlusFreq.size() > columns) {
      columns = block.RPlusFreq.size();
      widest = &block;
    }
  }
  const double top = TitleBottom(painter);
  if (columns == 0) {
    DrawNoValues(painter, QRectF(0, top, size.width(), size.height() - top),
                 QString::fromStdString("The sweep ran no value of " + results_.Rows + "."));
    painter.restore();
    return;
  }
  const size_t rows = blocks.size();

  const QFont font = ChartFont(12);
  painter.setFont(font);
  const QFontMetricsF metrics(font, painter.device());
  std::vector<QString> sLabels;
  double sLabelWidth = 0;
  for (const SKBlock& block : blocks) {
    sLabels.push_back(Text(block.S));
    sLabelWidth = std::max(sLabelWidth, metrics.horizontalAdvance(sLabels.back()));
  }
  std::vector<QString> kLabels;
  double kLabelWidth = 0;
  for (size_t c = 0; c < columns; ++c) {
    kLabels.push_back(c < widest->K.size() ? Text(widest->K[c]) : QString());
    kLabelWidth = std::max(kLabelWidth, metrics.horizontalAdvance(kLabels.back()));
  }
  const double line = metrics.height();
  const double scaleLabelWidth = metrics.horizontalAdvance("0.75");
  constexpr double kBarWidth = 16;

  const double left = kPad + line + kGap + sLabelWidth + kGap + kTick;
  const double right = kPad + line + kGap + scaleLabelWidth + kGap + kTick + kBarWidth + 2 * kPad;
  const double bottom = kPad + line + kGap + line + kGap + kTick;
  const QRectF plot(left, top, size.width() - left - right, size.height() - top - bottom);
  const double cellWidth = plot.width() / static_cast<double>(columns);
  const double cellHeight = plot.height() / static_cast<double>(rows);

  // Cells overlap their right and upper neighbours by a pixel, so that no seam of
  // background shows between them in a viewer that smooths edges.
  painter.setPen(Qt::NoPen);
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (size_t r = 0; r < rows; ++r) {
    const SKBlock& block = blocks[r];
    const double y = plot.bottom() - static_cast<double>(r + 1) * cellHeight;
    for (size_t c = 0; c < columns; ++c) {
      const double value = c < block.RPlusFreq.size() ? block.RPlusFreq[c] : std::nan("");
      const double x = plot.left() + static_cast<double>(c) * cellWidth;
      const double overlapX = c + 1 < columns ? 1 : 0;
      const double overlapY = r + 1 < rows ? 1 : 0;
      painter.fillRect(QRectF(x, y - overlapY, cellWidth + overlapX, cellHeight + overlapY),
                       FrequencyColour(value));
    }
  }
  painter.setRenderHint(QPainter::Antialiasing, true);
  QPen framePen(kFrame);
  framePen.setWidthF(1);
  painter.setPen(framePen);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(plot);

  // K along the bottom, S up the left side, at the centres of the cells.
  const int kStep = LabelStep(cellWidth, kLabelWidth);
  for (size_t c = 0; c < columns; c += static_cast<size_t>(kStep)) {
    const double x = plot.left() + (static_cast<double>(c) + 0.5) * cellWidth;
    painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + kTick));
    painter.drawText(QRectF(x - 100, plot.bottom() + kTick + kGap / 2, 200, line),
                     Qt::AlignHCenter | Qt::AlignTop, kLabels[c]);
  }
  const int sStep = LabelStep(cellHeight, line);
  for (size_t r = 0; r < rows; r += static_cast<size_t>(sStep)) {
    const double y = plot.bottom() - (static_cast<double>(r) + 0.5) * cellHeight;
    painter.drawLine(QPointF(plot.left() - kTick, y), QPointF(plot.left(), y));
    painter.drawText(QRectF(kPad + line + kGap, y - line / 2, sLabelWidth, line),
                     Qt::AlignRight | Qt::AlignVCenter, sLabels[r]);
  }
  painter.setPen(Qt::black);
  painter.drawText(QRectF(plot.left(), size.height() - kPad - line, plot.width(), line),
                   Qt::AlignCenter, QString::fromStdString(results_.Columns));
  DrawUpwards(painter, QPointF(kPad + line / 2, plot.center().y()),
              QString::fromStdString(results_.Rows));

  // The colour scale.
  const QRectF bar(plot.right() + 2 * kPad, plot.top(), kBarWidth, plot.height());
  QLinearGradient gradient(bar.bottomLeft(), bar.topLeft());
  for (size_t i = 0; i < kScale.size(); ++i) {
    gradient.setColorAt(static_cast<double>(i) / static_cast<double>(kScale.size() - 1),
                        QColor(kScale[i]));
  }
  painter.fillRect(bar, gradient);
  painter.setPen(framePen);
  painter.drawRect(bar);
  for (double f : {0.0, 0.25, 0.5, 0.75, 1.0}) {
    const double y = bar.bottom() - f * bar.height();
    painter.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + kTick, y));
    painter.drawText(QRectF(bar.right() + kTick + kGap / 2, y - line / 2, scaleLabelWidth, line),
                     Qt::AlignLeft | Qt::AlignVCenter, Text(f));
  }
  painter.setPen(Qt::black);
  DrawUpwards(painter, QPointF(size.width() - kPad - line / 2, bar.center().y()),
              "Final R+ frequency");
  painter.restore();
}

void NSweepChart::Paint(QPainter& painter) const {
  painter.save();
  const QSizeF size(size_);
  painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
  painter.setRenderHint(QPainter::Antialiasing, true);
  DrawTitle(painter, size,
            QString::fromUtf8("Mean R+ frequency \u00B1 one S.D. against ") +
                QString::fromStdString(results_.Across));

  const QFont font = ChartFont(12);
  painter.setFont(font);
  const QFontMetricsF metrics(font, painter.device());
  const double line = metrics.height();
  const double titleBottom = TitleBottom(painter);

  // The legend, one line under the title.
  const double legendY = titleBottom - kPad / 2 + line / 2;
  {
    const QString mean = QString::fromUtf8("mean \u00B1 one S.D.");
    const QString runs = "each run";
    const double width = 14 + kGap + metrics.horizontalAdvance(mean) + 3 * kGap + 14 + kGap +
                         metrics.horizontalAdvance(runs);
    double x = (size.width() - width) / 2;
    painter.setPen(QPen(kRPlus, 1.5));
    painter.drawLine(QPointF(x, legendY), QPointF(x + 14, legendY));
    painter.setBrush(kRPlus);
    painter.drawEllipse(QPointF(x + 7, legendY), 3.5, 3.5);
    x += 14 + kGap;
    painter.setPen(Qt::black);
    painter.drawText(QRectF(x, legendY - line / 2, 1000, line), Qt::AlignLeft | Qt::AlignVCenter,
                     mean);
    x += metrics.horizontalAdvance(mean) + 3 * kGap;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(kRPlus.red(), kRPlus.green(), kRPlus.blue(), 70));
    painter.drawEllipse(QPointF(x + 7, legendY), 2.5, 2.5);
    x += 14 + kGap;
    painter.setPen(Qt::black);
    painter.drawText(QRectF(x, legendY - line / 2, 1000, line), Qt::AlignLeft | Qt::AlignVCenter,
                     runs);
  }

  const auto& points = results_.Points;
  const double top = titleBottom + line + kGap;
  if (points.empty()) {
    DrawNoValues(painter, QRectF(0, top, size.width(), size.height() - top),
                 QString::fromStdString("The sweep ran no value of " + results_.Across + "."));
    painter.restore();
    return;
  }

  const double left = kPad + line + kGap + metrics.horizontalAdvance("0.8") + kGap + kTick;
  const double bottom = kPad + line + kGap + line + kGap + kTick;
  const QRectF plot(left, top, size.width() - left - 2 * kPad, size.height() - top - bottom);

  double xMin = points.front().Log10N, xMax = xMin;
  for (const NSweepPoint& p : points) {
    xMin = std::min<double>(xMin, p.Log10N);
    xMax = std::max<double>(xMax, p.Log10N);
  }
  const double span = xMax - xMin;
  const double margin = span > 0 ? span * 0.05 : 0.5;
  xMin -= margin;
  xMax += margin;
  auto px = [&](double x) { return plot.left() + (x - xMin) / (xMax - xMin) * plot.width(); };
  auto py = [&](double y) { return plot.bottom() - y * plot.height(); };

  // Grid and ticks: frequencies by 0.2, Log10(N) by a round step.
  QPen gridPen(kGrid);
  gridPen.setWidthF(1);
  QPen framePen(kFrame);
  framePen.setWidthF(1);
  for (int i = 0; i <= 5; ++i) {
    const double f = i / 5.0;
    painter.setPen(gridPen);
    painter.drawLine(QPointF(plot.left(), py(f)), QPointF(plot.right(), py(f)));
    painter.setPen(framePen);
    painter.drawLine(QPointF(plot.left() - kTick, py(f)), QPointF(plot.left(), py(f)));
    painter.drawText(
        QRectF(kPad + line + kGap, py(f) - line / 2, left - kPad - line - 2 * kGap, line),
        Qt::AlignRight | Qt::AlignVCenter, Text(f));
  }
  const double step = RoundStep(xMax - xMin, 10);
  for (double k = std::ceil(xMin / step); k * step <= xMax; k += 1) {
    const double x = k * step;
    painter.setPen(gridPen);
    painter.drawLine(QPointF(px(x), plot.top()), QPointF(px(x), plot.bottom()));
    painter.setPen(framePen);
    painter.drawLine(QPointF(px(x), plot.bottom()), QPointF(px(x), plot.bottom() + kTick));
    painter.drawText(QRectF(px(x) - 100, plot.bottom() + kTick + kGap / 2, 200, line),
                     Qt::AlignHCenter | Qt::AlignTop, Text(x));
  }
  painter.setPen(framePen);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(plot);
  painter.setPen(Qt::black);
  painter.drawText(QRectF(plot.left(), size.height() - kPad - line, plot.width(), line),
                   Qt::AlignCenter, QString::fromStdString(results_.Across));
  DrawUpwards(painter, QPointF(kPad + line / 2, plot.center().y()), "Final R+ frequency");

  painter.setClipRect(plot.adjusted(-4, -4, 4, 4));
  // Every run as a faint dot, beneath the means.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(kRPlus.red(), kRPlus.green(), kRPlus.blue(), 70));
  for (const NSweepPoint& p : points) {
    for (double outcome : p.Outcomes) {
      if (std::isfinite(outcome)) painter.drawEllipse(QPointF(px(p.Log10N), py(outcome)), 2.5, 2.5);
    }
  }
  // One S.D. either side of each mean.
  painter.setPen(QPen(kRPlus, 1.2));
  for (const NSweepPoint& p : points) {
    if (!std::isfinite(p.Mean) || !std::isfinite(p.Deviation)) continue;
    const double x = px(p.Log10N);
    // A frequency stays within 0 and 1: a bar reaching past one ends there without its cap
    // (drawn so rather than clipped, since SVG files keep no clipping).
    const double lowValue = p.Mean - p.Deviation, highValue = p.Mean + p.Deviation;
    const double low = py(std::max(lowValue, 0.0)), high = py(std::min(highValue, 1.0));
    painter.drawLine(QPointF(x, low), QPointF(x, high));
    if (lowValue >= 0) painter.drawLine(QPointF(x - 4, low), QPointF(x + 4, low));
    if (highValue <= 1) painter.drawLine(QPointF(x - 4, high), QPointF(x + 4, high));
  }
  // The means, joined.
  QPainterPath path;
  bool started = false;
  for (const NSweepPoint& p : points) {
    if (!std::isfinite(p.Mean)) continue;
    const QPointF at(px(p.Log10N), py(p.Mean));
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
    if (std::isfinite(p.Mean)) painter.drawEllipse(QPointF(px(p.Log10N), py(p.Mean)), 3.5, 3.5);
  }
  painter.restore();
}

platform::CsvTable SKSweepTable(const SKSweepResults& results) {
  platform::CsvTable table;
  table.columns = {"S", "K", "R+ frequency"};
  for (const SKBlock& block : results.Blocks) {
    for (size_t i = 0; i < block.RPlusFreq.size(); ++i) {
      table.rows.push_back({platform::CsvNumber(block.S),
                            i < block.K.size() ? platform::CsvNumber(block.K[i]) : std::string(),
                            platform::CsvNumber(block.RPlusFreq[i])});
    }
  }
  return table;
}

platform::CsvTable NSweepTable(const NSweepResults& results) {
  platform::CsvTable table;
  table.columns = {"Log10(N)", "Mean", "S.D."};
  size_t runs = 0;
  for (const NSweepPoint& p : results.Points) runs = std::max(runs, p.Outcomes.size());
  for (size_t i = 1; i <= runs; ++i) table.columns.push_back("Run " + std::to_string(i));
  for (const NSweepPoint& p : results.Points) {
    std::vector<std::string> row = {
        std::isfinite(p.Log10N) ? common::FormatSingle(p.Log10N) : std::string(),
        platform::CsvNumber(p.Mean), platform::CsvNumber(p.Deviation)};
    for (size_t i = 0; i < runs; ++i)
      row.push_back(i < p.Outcomes.size() ? platform::CsvNumber(p.Outcomes[i]) : std::string());
    table.rows.push_back(std::move(row));
  }
  return table;
}

SKSweepResults SelectionResults(const CommandRecord& record) {
  SKSweepResults results;
  for (size_t i = 0; i < record.Outcomes.size(); ++i) {
    if (results.Blocks.empty() || results.Blocks.back().S != record.S[i])
      results.Blocks.push_back({record.S[i], {}, {}});
    results.Blocks.back().K.push_back(record.K[i]);
    results.Blocks.back().RPlusFreq.push_back(record.Outcomes[i]);
  }
  return results;
}

NSweepResults PopulationResults(const CommandRecord& record) {
  NSweepResults results;
  for (size_t i = 0; i < record.Outcomes.size(); ++i) {
    if (results.Points.empty() || results.Points.back().Log10N != record.Log10N[i])
      results.Points.push_back({record.Log10N[i], {}, 0, 0});
    results.Points.back().Outcomes.push_back(record.Outcomes[i]);
  }
  for (NSweepPoint& point : results.Points) {
    double sum = 0, sumOfSquares = 0;
    for (double r : point.Outcomes) {
      sumOfSquares += r * r;
      sum += r;
    }
    const MeanAndDeviation statistics =
        OutcomeStatistics(sum, sumOfSquares, static_cast<int>(point.Outcomes.size()));
    point.Mean = statistics.Mean;
    point.Deviation = statistics.Deviation;
  }
  return results;
}

std::optional<SweepFigure> MakeSweepFigure(const CommandRecord& record) {
  if (record.SelectionSweep) {
    SKSweepResults results = SelectionResults(record);
    platform::CsvTable numbers = SKSweepTable(results);
    return SweepFigure{std::make_shared<SKHeatMap>(std::move(results)), std::move(numbers)};
  }
  if (record.PopulationSweep) {
    NSweepResults results = PopulationResults(record);
    platform::CsvTable numbers = NSweepTable(results);
    return SweepFigure{std::make_shared<NSweepChart>(std::move(results)), std::move(numbers)};
  }
  return std::nullopt;
}

std::optional<SweepFigure> MakeStudyFigure(const StudyResults& study) {
  if (study.Parameters.size() == 1) {
    NSweepResults results;
    results.Across = study.Parameters[0];
    for (const StudyPointResults& p : study.Points)
      results.Points.push_back({static_cast<float>(p.Values[0]), p.Outcomes, p.Mean, p.Deviation});
    platform::CsvTable numbers = NSweepTable(results);
    numbers.columns[0] = results.Across;
    return SweepFigure{std::make_shared<NSweepChart>(std::move(results)), std::move(numbers)};
  }
  if (study.Parameters.size() == 2) {
    SKSweepResults results;
    results.Rows = study.Parameters[0];
    results.Columns = study.Parameters[1];
    results.Title = "Mean final R+ frequency over " + results.Rows + " and " + results.Columns;
    for (const StudyPointResults& p : study.Points) {
      if (results.Blocks.empty() || results.Blocks.back().S != p.Values[0])
        results.Blocks.push_back({p.Values[0], {}, {}});
      results.Blocks.back().K.push_back(p.Values[1]);
      results.Blocks.back().RPlusFreq.push_back(p.Mean);
    }
    platform::CsvTable numbers = SKSweepTable(results);
    numbers.columns = {results.Rows, results.Columns, "Mean R+ frequency"};
    return SweepFigure{std::make_shared<SKHeatMap>(std::move(results)), std::move(numbers)};
  }
  return std::nullopt;
}

}  // namespace quorvel::charts
