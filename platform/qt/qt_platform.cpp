#include "platform/qt/qt_platform.h"

#include <cstdio>

#include <QApplication>
#include <QByteArray>

#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/x11_display.h"
#include "platform/qt/x11_screen.h"

namespace hueclip::qt {
namespace {

// Chooses Qt's X11 platform unless the user chose one, and checks that an X server answers
// before Qt tries (it aborts when it cannot connect).
bool PrepareQt() {
  const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
  if (chosen.isEmpty()) qputenv("QT_QPA_PLATFORM", "xcb");
  const int dpi = XDisplayDpi();
  if ((chosen.isEmpty() || chosen.startsWith("xcb")) && dpi == 0) {
    std::fputs("hueclip: cannot open the X display; Hueclip needs X11 or XWayland\n", stderr);
    return false;
  }
  // Widget coordinates stay screen pixels: Qt scales nothing, the windows scale their twips by
  // the screen's DPI themselves. Qt's logical DPI, which sizes the fonts, is made the X
  // server's too; by itself Qt would take 96 whenever the desktop sets no Xft.dpi.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  if (dpi > 0 && qEnvironmentVariableIsEmpty("QT_FONT_DPI"))
    qputenv("QT_FONT_DPI", QByteArray::number(dpi));
  return true;
}

}  // namespace

std::unique_ptr<QtPlatform> QtPlatform::Create(int& argc, char** argv) {
  if (!PrepareQt()) return nullptr;
  return std::unique_ptr<QtPlatform>(new QtPlatform(argc, argv));
}

QtPlatform::QtPlatform(int& argc, char** argv)
    : app_(std::make_unique<QApplication>(argc, argv)),
      // The sampling reads go over a connection of their own: on Qt's connection every reply
      // is handed over by Qt's X event thread, which costs more than the reads themselves.
      screen_(std::make_unique<X11Screen>(nullptr)),
      clipboard_(std::make_unique<QtClipboard>()),
      shell_(std::make_unique<QtShell>()),
      toolkit_(std::make_unique<QtToolkit>()),
      services_(std::make_unique<Services>(Services{*screen_, *clipboard_, *shell_, *toolkit_})) {
  QApplication::setApplicationName(QStringLiteral("Hueclip"));
}

QtPlatform::~QtPlatform() = default;

}  // namespace hueclip::qt
