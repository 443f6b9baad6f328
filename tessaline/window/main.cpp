#include <QApplication>

#include "tessaline/window/form1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tessaline");
  tessaline::Form1 window;
  window.show();
  return app.exec();
}
