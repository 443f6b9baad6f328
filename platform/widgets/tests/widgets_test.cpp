#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "platform/widgets/focus_line_edit.h"
#include "platform/widgets/message_box.h"
#include "platform/widgets/twips.h"

TEST(FocusLineEdit, FiresWhenFocusMovesToAnotherControlOnly) {
  QWidget window;
  auto* edit = new platform::FocusLineEdit(&window);
  auto* other = new QPushButton("other", &window);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(edit);
  layout->addWidget(other);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  int fired = 0;
  QObject::connect(edit, &platform::FocusLineEdit::lostFocus, [&] { ++fired; });
  edit->setFocus(Qt::TabFocusReason);
  other->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(fired, 1);
  edit->setFocus(Qt::MouseFocusReason);
  QFocusEvent deactivate(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(edit, &deactivate);
  EXPECT_EQ(fired, 1);
}

TEST(FocusLineEdit, KeepsTagAndLock) {
  platform::FocusLineEdit edit;
  edit.SetTag("integer");
  edit.SetLocked(true);
  EXPECT_EQ(edit.Tag(), "integer");
  EXPECT_TRUE(edit.isReadOnly());
}

TEST(MessageBox, TheHookReceivesTheText) {
  QString seen;
  platform::SetMessageHook([&](const QString& text) { seen = text; });
  platform::WindowMessageSink sink(nullptr);
  sink.ShowMessage("Wrong Output file name. Default name restored");
  EXPECT_EQ(seen, "Wrong Output file name. Default name restored");
  platform::SetMessageHook([](const QString&) {});
}

TEST(Twips, GeometryAndColours) {
  QLabel label;
  platform::SetGeometryTwips(&label, 6480, 120, 7695, 5895);
  EXPECT_EQ(label.geometry(), QRect(432, 8, 513, 393));
  platform::SetBackColour(&label, common::Rgb(192, 255, 255));
  EXPECT_EQ(platform::BackColour(&label), common::Rgb(192, 255, 255));
  EXPECT_EQ(platform::ToQColor(0xFF0000), QColor(0, 0, 255));
  EXPECT_EQ(platform::ToQColor(0xC0), QColor(192, 0, 0));
}
