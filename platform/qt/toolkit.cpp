#include "platform/qt/toolkit.h"

#include <cmath>

#include <QApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

#include "platform/qt/window_peer.h"
#include "resources/product.h"

namespace hueclip::qt {

// Every message the user is shown, for a bug report; silent unless QT_LOGGING_RULES turns it on.
Q_LOGGING_CATEGORY(lcMessages, "hueclip.messages", QtWarningMsg)

namespace {

// The widget of a loaded window, found by its native handle.
QWidget* WidgetOf(const Window* window) {
  if (window == nullptr || !window->Loaded()) return nullptr;
  return QWidget::find(static_cast<WId>(window->hWnd()));
}

// The DPI the twips are scaled by: Qt's logical DPI, in which the fonts are sized too. Unless
// the user asks Qt to scale (QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS), widget coordinates are
// screen pixels and this is the screen's DPI; where Qt scales, it is the DPI before Qt's factor.
int ScreenDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi =
      screen != nullptr ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 0;
  return dpi > 0 ? dpi : 96;
}

}  // namespace

std::unique_ptr<WindowPeer> QtToolkit::CreatePeer(Window& window) {
  QWidget* parent = &window != main_ ? WidgetOf(main_) : nullptr;
  return std::make_unique<QtWindowPeer>(window, parent, ScreenDpi());
}

void QtToolkit::MessageBox(Window& owner, std::string_view text) {
  qCInfo(lcMessages).noquote() << QString::fromUtf8(text.data(),
                                                    static_cast<qsizetype>(text.size()));
  QMessageBox box(QMessageBox::Warning, QStringLiteral(HUECLIP_NAME),
                  QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                  QMessageBox::Ok, WidgetOf(&owner));
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void QtToolkit::Warn(std::string_view text) {
  if (main_ != nullptr) MessageBox(*main_, text);
}

int QtToolkit::Run(Window& main) {
  main_ = &main;
  main.Show();
  return QApplication::exec();
}

}  // namespace hueclip::qt
