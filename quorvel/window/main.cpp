#include <QApplication>

#include "quorvel/window/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quorvel");
  quorvel::MainWindow window;
  window.show();
  return QApplication::exec();
}
