#include "platform/qt/shell.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace hueclip::qt {

void QtShell::Execute(WindowHandle /*owner*/, std::string_view operation, std::string_view file) {
  // "open" is the only operation the desktop has a handler for. The opener runs on its own;
  // whether it starts, or finds a browser, is not looked at.
  if (operation != "open") return;
  QProcess opener;
  opener.setProgram(QStringLiteral("xdg-open"));
  opener.setArguments({QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size()))});
  opener.setProcessEnvironment(userEnvironment_);
  opener.startDetached();
}

}  // namespace hueclip::qt
