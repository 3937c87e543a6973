#include "platform/qt/shell.h"

#include <cstdio>

#include <QProcess>
#include <QString>
#include <QStringList>
#if HUECLIP_PORTAL
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <QVariantMap>
#endif

namespace hueclip::qt {
namespace {

#if HUECLIP_PORTAL
// Asks the desktop portal to open uri with the handler the user chose for it. The portal may
// ask which one first, in a dialog that belongs to the window owner. A call that reaches no
// portal, or that the portal refuses, is told on standard error.
void OpenThroughPortal(WindowHandle owner, const QString& uri) {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.portal.Desktop"),
      QStringLiteral("/org/freedesktop/portal/desktop"),
      QStringLiteral("org.freedesktop.portal.OpenURI"), QStringLiteral("OpenURI"));
  // The portal knows X windows as "x11:" and their id in hexadecimal.
  const bool onX = QGuiApplication::platformName() == QLatin1String("xcb") && owner != 0;
  call << (onX ? QStringLiteral("x11:") + QString::number(owner, 16) : QString()) << uri
       << QVariantMap();
  auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call),
                                              QCoreApplication::instance());
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [uri](auto* answered) {
    if (answered->isError()) {
      std::fprintf(stderr,
                   "hueclip: cannot open %s: there is no xdg-open (xdg-utils) and the desktop "
                   "portal did not take it (%s)\n",
                   qPrintable(uri), qPrintable(answered->error().message()));
    }
    answered->deleteLater();
  });
}
#endif

}  // namespace

void QtShell::Execute([[maybe_unused]] WindowHandle owner, std::string_view operation,
                      std::string_view file) {
  // "open" is the only operation the desktop has a handler for. The opener runs on its own;
  // whether it finds a browser is not looked at, only whether it could be started.
  if (operation != "open") return;
  const QString target = QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size()));
  QProcess opener;
  opener.setProgram(QStringLiteral("xdg-open"));
  opener.setArguments({target});
  opener.setProcessEnvironment(userEnvironment_);
  if (opener.startDetached()) return;
#if HUECLIP_PORTAL
  OpenThroughPortal(owner, target);
#else
  std::fprintf(stderr, "hueclip: cannot open %s: there is no xdg-open (xdg-utils)\n",
               qPrintable(target));
#endif
}

}  // namespace hueclip::qt
