#include "platform/widgets/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {
namespace {
MessageHook& Hook() {
  static MessageHook hook;
  return hook;
}
}  // namespace

void SetMessageHook(MessageHook hook) {
  Hook() = std::move(hook);
}

void ShowMessage(QWidget* parent, const QString& text) {
  if (Hook()) {
    Hook()(text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                  parent);
  box.exec();
}

void WindowMessageSink::ShowMessage(const std::string& text) {
  platform::ShowMessage(parent_, QString::fromStdString(text));
}

}  // namespace platform
