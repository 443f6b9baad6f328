#include "quorvel/window/controls.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace quorvel {

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
  // Qt numbers its states 0 clear, 1 partly, 2 ticked; the values here are 0, 1, 2 = greyed.
  connect(this, &QCheckBox::stateChanged, this, [this] { emit valueChanged(); });
}

CheckValue CheckBox::Value() const {
  switch (checkState()) {
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
    case Qt::Unchecked:
      break;
  }
  return 0;
}

bool CheckBox::SetValue(CheckValue value) {
  if (value != 1 && value != 2) value = 0;
  if (value == Value()) return false;
  const Qt::CheckState state = value == 1   ? Qt::Checked
                               : value == 2 ? Qt::PartiallyChecked
                                            : Qt::Unchecked;
  if (state == Qt::PartiallyChecked) setTristate(true);
  setCheckState(state);
  return true;
}

void CheckBox::nextCheckState() {
  setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked);
}

QFont FitFont(const QFont& base, const QString& text, QSize box, bool wrap) {
  QFont font = base;
  for (int pixels = 11; pixels >= 9; --pixels) {
    for (int stretch = 100; stretch >= 80; stretch -= 5) {
      font = base;
      font.setPixelSize(pixels);
      font.setStretch(stretch);
      const QFontMetrics metrics(font);
      const QRect needed =
          wrap ? metrics.boundingRect(QRect(0, 0, box.width(), 100000), Qt::TextWordWrap, text)
               : QRect(0, 0, metrics.horizontalAdvance(text), metrics.height());
      if (needed.width() <= box.width() && needed.height() <= box.height()) return font;
    }
  }
  return font;
}

OptionButton::OptionButton(const QString& caption, QWidget* parent)
    : QRadioButton(caption, parent) {}

void OptionButton::focusInEvent(QFocusEvent* event) {
  QRadioButton::focusInEvent(event);
  const Qt::FocusReason reason = event->reason();
  const bool clicked = clickedWithoutFocus_;
  clickedWithoutFocus_ = false;
  if (!clicked && (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)) return;
  emit gotFocus();
}

void OptionButton::mousePressEvent(QMouseEvent* event) {
  // In an active window the click's focus arrives before the press and was handled then.
  if (!hasFocus() && event->button() == Qt::LeftButton) clickedWithoutFocus_ = true;
  QRadioButton::mousePressEvent(event);
}

}  // namespace quorvel

namespace quorvel {

QRect OptionButton::CaptionRect() const {
  QStyleOptionButton option;
  initStyleOption(&option);
  const int indicator = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &option, this);
  const int spacing = style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &option, this);
  return rect().adjusted(indicator + spacing, 0, 0, 0);
}

void OptionButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  option.rect = QRect(0, 0, style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth), height());
  painter.drawControl(QStyle::CE_RadioButton, option);
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  const int flags = Qt::AlignLeft | Qt::AlignVCenter;
  QRect focusRect;
  if (parts_.isEmpty()) {
    painter.drawText(CaptionRect(), flags | Qt::TextWordWrap, text(), &focusRect);
  } else {
    for (const CaptionPart& part : parts_) {
      QRect drawn;
      painter.drawText(part.place, flags, part.text, &drawn);
      focusRect = focusRect.isNull() ? drawn : focusRect;
    }
  }
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = focusRect.adjusted(-1, 0, 1, 0);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

}  // namespace quorvel
