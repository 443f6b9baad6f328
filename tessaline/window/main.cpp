#include <QApplication>

#include "platform/widgets/command_line.h"
#include "tessaline/window/tessaline_window.h"

int main(int argc, char** argv) {
  const platform::ProgramInfo info{
      "Tessaline", "org.marbeck.tessaline",
      "Draws the spreading of an advantageous gene, its spreading velocity and the\n"
      "evolutionary steadiness of senescence.",
      "tessaline-the-window"};
  platform::PrepareProgram(argc, argv, info);
  QApplication app(argc, argv);
  platform::RefuseUnknownArguments(info);
  tessaline::TessalineWindow window(info);
  window.show();
  return app.exec();
}
