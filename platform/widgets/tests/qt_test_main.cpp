// main() of the widget tests: a QApplication on the offscreen platform, and message boxes
// that never block.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/widgets/message_box.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  platform::SetMessageHook([](const QString&) {});
  return RUN_ALL_TESTS();
}
