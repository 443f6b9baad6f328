#include "platform/figures/figure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QtMath>

namespace platform {
namespace {

// Vector files are laid out at the screen's standard resolution, so that one
// device-independent pixel of the figure is one unit of the SVG and 1/96 inch in the PDF.
constexpr int kVectorDpi = 96;

bool PaintOn(QPaintDevice& device, const Figure& figure) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  figure.Paint(painter);
  return painter.end();
}

}  // namespace

void PaintLabel(QPainter& painter, const FigureLabel& label) {
  painter.save();
  if (label.background.isValid()) painter.fillRect(label.rect, label.background);
  painter.setFont(label.font);
  painter.setPen(label.foreground);
  painter.drawText(label.rect, label.flags, label.text);
  painter.restore();
}

QFont PixelSized(QFont font) {
  if (font.pixelSize() <= 0) font.setPixelSize(QFontInfo(font).pixelSize());
  return font;
}

std::optional<FigureFormat> FigureFormatOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == "png") return FigureFormat::Png;
  if (suffix == "svg") return FigureFormat::Svg;
  if (suffix == "pdf") return FigureFormat::Pdf;
  return std::nullopt;
}

qreal PngPixelRatio(const QString& path, qreal screenRatio) {
  return QFileInfo(path).completeBaseName().endsWith("@2x", Qt::CaseInsensitive) ? 2.0
                                                                                 : screenRatio;
}

QImage FigureImage(const Figure& figure, qreal pixelRatio) {
  const QSize size = figure.Size();
  QImage image(qCeil(size.width() * pixelRatio), qCeil(size.height() * pixelRatio),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(pixelRatio);
  image.fill(Qt::white);
  PaintOn(image, figure);
  return image;
}

QString ExportFigure(const Figure& figure, const QString& path, qreal pixelRatio) {
  const std::optional<FigureFormat> format = FigureFormatOf(path);
  const QString name = QDir::toNativeSeparators(path);
  if (!format) {
    return QString("A picture is saved as .png, .svg or .pdf; %1 names none of them.").arg(name);
  }
  const QSize size = figure.Size();
  if (size.isEmpty()) return "There is no picture to save.";
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    return QString("Cannot write %1: %2.").arg(name, file.errorString());
  }
  bool painted = false;
  switch (*format) {
    case FigureFormat::Png:
      painted = FigureImage(figure, pixelRatio).save(&file, "PNG");
      break;
    case FigureFormat::Svg: {
      QSvgGenerator svg;
      svg.setOutputDevice(&file);
      svg.setResolution(kVectorDpi);
      svg.setSize(size);
      svg.setViewBox(QRect(QPoint(0, 0), size));
      svg.setTitle(QFileInfo(path).completeBaseName());
      svg.setDescription(QCoreApplication::applicationName());
      painted = PaintOn(svg, figure);
      break;
    }
    case FigureFormat::Pdf: {
      QPdfWriter pdf(&file);
      pdf.setResolution(kVectorDpi);
      pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
      pdf.setPageSize(QPageSize(QSizeF(size) * 72.0 / kVectorDpi, QPageSize::Point, QString(),
                                QPageSize::ExactMatch));
      pdf.setCreator(QCoreApplication::applicationName());
      pdf.setTitle(QFileInfo(path).completeBaseName());
      painted = PaintOn(pdf, figure);
      break;
    }
  }
  if (!painted || file.error() != QFileDevice::NoError) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return QString("Cannot write %1: %2.").arg(name, reason);
  }
  if (!file.commit()) return QString("Cannot write %1: %2.").arg(name, file.errorString());
  return {};
}

GuiForFigures::GuiForFigures() {
  if (QCoreApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "figures";
  static char* argv[] = {name, nullptr};
  app_ = std::make_unique<QGuiApplication>(argc, argv);
}

GuiForFigures::~GuiForFigures() = default;

}  // namespace platform
