// Modal messages with one OK button, behind one replaceable hook so that tests read the
// text instead of blocking on a modal box.
#pragma once

#include <QString>
#include <functional>

#include "common/drawing_surface.h"

class QWidget;

namespace platform {

using MessageHook = std::function<void(const QString& text)>;

// Replaces how messages are shown; an empty hook restores the real modal box.
void SetMessageHook(MessageHook hook);
void ShowMessage(QWidget* parent, const QString& text);

// The Qt-free code's message sink, shown over a window.
class WindowMessageSink : public common::MessageSink {
 public:
  explicit WindowMessageSink(QWidget* parent) : parent_(parent) {}
  void ShowMessage(const std::string& text) override;

 private:
  QWidget* parent_;
};

}  // namespace platform
