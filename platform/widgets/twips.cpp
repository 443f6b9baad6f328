#include "platform/widgets/twips.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPalette>

namespace platform {
namespace {

QPalette::ColorRole FaceRole(const QWidget* widget) {
  return qobject_cast<const QLineEdit*>(widget) ? QPalette::Base : QPalette::Window;
}

QPalette::ColorRole TextRole(const QWidget* widget) {
  if (qobject_cast<const QLineEdit*>(widget)) return QPalette::Text;
  if (qobject_cast<const QAbstractButton*>(widget)) return QPalette::ButtonText;
  return QPalette::WindowText;
}

}  // namespace

void SetBackColour(QWidget* widget, common::Colour colour) {
  QPalette palette = widget->palette();
  palette.setColor(FaceRole(widget), ToQColor(colour));
  if (qobject_cast<const QAbstractButton*>(widget))
    palette.setColor(QPalette::Button, ToQColor(colour));
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void SetForeColour(QWidget* widget, common::Colour colour) {
  QPalette palette = widget->palette();
  palette.setColor(TextRole(widget), ToQColor(colour));
  widget->setPalette(palette);
}

common::Colour BackColour(const QWidget* widget) {
  return FromQColor(widget->palette().color(FaceRole(widget)));
}

}  // namespace platform
