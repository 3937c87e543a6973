#include "platform/qt/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace hueclip::qt {

bool QtClipboard::SetText(std::string_view text) {
  // The program breaks lines with CR LF, the Windows clipboard's line break. On the Linux desktop
  // lines break with LF, and a terminal, an editor or a file would take each CR in as part of a
  // line: CR LF becomes LF here, the change Wine makes to a Windows program's text for X.
  const QString lines = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
                            .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QClipboard* clipboard = QGuiApplication::clipboard();
  // Replaces whatever the clipboard held. On X the program becomes the owner of the selection
  // and serves the text itself; when the server refuses it the ownership, nothing has changed.
  clipboard->setText(lines, QClipboard::Clipboard);
  return clipboard->ownsClipboard();
}

}  // namespace hueclip::qt
