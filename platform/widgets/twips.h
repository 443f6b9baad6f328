// Places, sizes and colours as the windows are laid out: twips and 0x00BBGGRR.
#pragma once

#include <QColor>
#include <QWidget>

#include "common/drawing_surface.h"

namespace platform {

// Twips per logical pixel; Qt's own high-DPI scaling takes care of the rest.
inline constexpr int kTwipsPerPixel = 15;

inline int TwipsToPixels(int twips) {
  return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

inline void SetGeometryTwips(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                      TwipsToPixels(height));
}

inline QColor ToQColor(common::Colour colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

inline common::Colour FromQColor(const QColor& colour) {
  return common::Rgb(colour.red(), colour.green(), colour.blue());
}

// Background of a label, frame or text box (the role that widget paints its face with).
void SetBackColour(QWidget* widget, common::Colour colour);
void SetForeColour(QWidget* widget, common::Colour colour);
common::Colour BackColour(const QWidget* widget);

}  // namespace platform
