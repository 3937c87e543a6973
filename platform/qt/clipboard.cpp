#include "platform/qt/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace hueclip::qt {

bool QtClipboard::SetText(std::string_view text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  // Replaces whatever the clipboard held. On X the program becomes the owner of the selection
  // and serves the text itself; when the server refuses it the ownership, nothing has changed.
  clipboard->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                     QClipboard::Clipboard);
  return clipboard->ownsClipboard();
}

}  // namespace hueclip::qt
