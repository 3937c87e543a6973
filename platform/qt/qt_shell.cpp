#include "platform/qt/qt_shell.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace hueclip::qt {

void QtShell::Execute(WindowHandle /*owner*/, std::string_view operation, std::string_view file) {
  // "open" is the only operation the desktop has a handler for. The opener runs on its own;
  // whether it starts, or finds a browser, is not looked at.
  if (operation != "open") return;
  QProcess::startDetached(QStringLiteral("xdg-open"),
                          {QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size()))});
}

}  // namespace hueclip::qt
