// Hueclip on Linux: the main window over Qt 6 Widgets, on X11 or a Wayland desktop.
#include "platform/qt/command_line.h"
#include "platform/qt/platform.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  if (const auto status = hueclip::qt::AnswerCommandLine(argc, argv)) return *status;
  const auto platform = hueclip::qt::QtPlatform::Create(argc, argv);
  if (!platform) return 1;
  hueclip::MainWindow main(platform->services());
  return platform->services().toolkit.Run(main.form());
}
