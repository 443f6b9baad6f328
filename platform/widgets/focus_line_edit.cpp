#include "platform/widgets/focus_line_edit.h"

#include <QFocusEvent>

namespace platform {

FocusLineEdit::FocusLineEdit(QWidget* parent) : QLineEdit(parent) {}

void FocusLineEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  const Qt::FocusReason reason = event->reason();
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
  emit lostFocus();
}

}  // namespace platform
