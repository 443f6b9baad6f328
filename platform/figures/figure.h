// Figures: a picture together with what a reader needs around it (axis labels, legends,
// a title), painted by one routine on the screen and into every exported file, so that
// what is saved is what is seen. Needs QtGui only, so programs without windows can write
// figures too.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>

class QGuiApplication;
class QPainter;

namespace platform {

class Figure {
 public:
  virtual ~Figure() = default;
  // The size in device-independent pixels.
  virtual QSize Size() const = 0;
  // Paints the whole figure, its top-left corner at the painter's origin, in
  // device-independent pixels.
  virtual void Paint(QPainter& painter) const = 0;
  // Figures laid out for any size take the size offered; the others keep theirs.
  virtual void Fit(QSize available) { (void)available; }
};

// A caption beside a picture, placed and styled as a label of a window shows it.
struct FigureLabel {
  QString text;
  QRect rect;
  QFont font;
  QColor foreground = Qt::black;
  QColor background;                             // invalid: the label lets what is beneath show
  int flags = Qt::AlignLeft | Qt::AlignVCenter;  // alignment, and Qt::TextWordWrap
};
void PaintLabel(QPainter& painter, const FigureLabel& label);

// The font with its size in pixels, as the screen shows a font sized in points, so that
// it keeps its size relative to the figure on devices of any resolution.
QFont PixelSized(QFont font);

enum class FigureFormat { Png, Svg, Pdf };
// The format a file name asks for by its extension (any case); nullopt for others.
std::optional<FigureFormat> FigureFormatOf(const QString& path);
// The pixel ratio of a PNG file: 2 when its name ends in "@2x.png", else screenRatio.
qreal PngPixelRatio(const QString& path, qreal screenRatio);

// The figure as an image of Size() x pixelRatio pixels.
QImage FigureImage(const Figure& figure, qreal pixelRatio);
// Writes the figure in the format its extension names: PNG at pixelRatio, SVG and PDF as
// vector graphics, one page the size of the figure. The file is replaced only once it is
// complete. Returns the empty text, or what went wrong in words for the user.
QString ExportFigure(const Figure& figure, const QString& path, qreal pixelRatio);

// A program without windows that writes figures needs a QtGui application for fonts:
// this makes one, on the offscreen platform unless another is chosen, if none exists.
class GuiForFigures {
 public:
  GuiForFigures();
  ~GuiForFigures();
  GuiForFigures(const GuiForFigures&) = delete;
  GuiForFigures& operator=(const GuiForFigures&) = delete;

 private:
  std::unique_ptr<QGuiApplication> app_;
};

}  // namespace platform
