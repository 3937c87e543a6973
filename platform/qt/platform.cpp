#include "platform/qt/platform.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include <QApplication>
#include <QByteArray>
#include <QIcon>
#include <QPixmap>
#include <QProcessEnvironment>
#include <QSocketNotifier>

#include <X11/Xlib.h>

#include "platform/qt/clipboard.h"
#include "platform/qt/quit_signals.h"
#include "platform/qt/shell.h"
#include "platform/qt/toolkit.h"
#include "platform/x11/display.h"
#include "platform/x11/screen.h"
#include "resources/hueclip.xpm"
#if HUECLIP_PORTAL
#include "platform/qt/fallback_screen.h"
#endif

namespace hueclip::qt {
namespace {

using x11::X11Screen;

// The value of the Qt command-line option `name` ("-display", "-platform"; Qt takes them with
// two dashes too), or null.
char** OptionValue(int argc, char** argv, const char* name) {
  for (int i = 1; i + 1 < argc; ++i) {
    const char* arg = argv[i][0] == '-' && argv[i][1] == '-' ? argv[i] + 1 : argv[i];
    if (std::strcmp(arg, name) == 0) return &argv[i + 1];
  }
  return nullptr;
}

// Gets Qt's environment ready before Qt starts. The X server that Qt will use (-display, else
// DISPLAY) must answer, unless the user chose a Qt platform and a Wayland display is named, and
// have a depth Qt can paint on, since the screen is read through X. The user's own choice of Qt
// platform (-platform, else QT_QPA_PLATFORM) comes first, with X11 behind it for when it cannot
// be met: Qt aborts when it has no platform to run on.
bool PrepareQt(int argc, char** argv) {
  char** displayOption = OptionValue(argc, argv, "-display");
  const x11::XDisplayFacts x =
      x11::ProbeXDisplay(displayOption != nullptr ? *displayOption : nullptr);

  char** platformOption = OptionValue(argc, argv, "-platform");
  const QByteArray chosen =
      platformOption != nullptr ? QByteArray(*platformOption) : qgetenv("QT_QPA_PLATFORM");
  const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (!x.reachable && (chosen.isEmpty() || chosen.startsWith("xcb") || !wayland)) {
    // The display that was tried, as Xlib picks it: an empty -display stands for DISPLAY.
    const QByteArray named = displayOption != nullptr && **displayOption != '\0'
                                 ? QByteArray(*displayOption)
                                 : qgetenv("DISPLAY");
    if (!named.isEmpty()) {
      std::fprintf(stderr,
                   "hueclip: cannot open the X display \"%s\"; Hueclip needs X11 or XWayland\n",
                   named.constData());
    } else {
      std::fputs(
          "hueclip: no X display is set (neither -display nor DISPLAY); Hueclip needs X11 "
          "or XWayland\n",
          stderr);
    }
    return false;
  }
  if (x.reachable && x.depth < 15) {
    std::fprintf(stderr,
                 "hueclip: the X display's depth of %d bits is not supported; Hueclip "
                 "needs 15 bits or more\n",
                 x.depth);
    return false;
  }
  if (chosen.isEmpty()) {
    qputenv("QT_QPA_PLATFORM", "xcb");
  } else if (x.reachable && !chosen.split(';').contains("xcb")) {
    if (platformOption != nullptr) {
      static std::string withX11;  // argv keeps pointing at it while Qt runs
      withX11 = chosen.toStdString() + ";xcb";
      *platformOption = withX11.data();
    } else {
      qputenv("QT_QPA_PLATFORM", chosen + ";xcb");
    }
  }
  // Widget coordinates stay screen pixels: Qt scales nothing, the windows scale their twips by
  // the screen's DPI themselves. Qt's logical DPI, which sizes the fonts, is made the X
  // server's too; by itself Qt would take 96 whenever the desktop sets no Xft.dpi. Scale factors
  // the user gives Qt are Qt's to apply, to fonts and twips alike: QT_SCALE_FACTOR in any case,
  // per-screen factors only with Qt's DPI scaling on, as with it off Qt divides the logical DPI
  // by them and fonts and twips would keep their size in inches in a window scaled up.
  qputenv("QT_ENABLE_HIGHDPI_SCALING",
          qEnvironmentVariableIsEmpty("QT_SCREEN_SCALE_FACTORS") ? "0" : "1");
  if (x.reachable && qEnvironmentVariableIsEmpty("QT_FONT_DPI"))
    qputenv("QT_FONT_DPI", QByteArray::number(x.dpi));
  return true;
}

// A Wayland desktop: Hueclip's window may still be on XWayland, but the X server there sees
// only X windows, so the screen is read elsewhere.
bool WaylandSession() {
  if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) return false;
  const QByteArray type = qgetenv("XDG_SESSION_TYPE");
  return type.isEmpty() || type == "wayland";
}

// The X connection the screen is read over, once Qt runs: one of its own to the X server that
// Qt is on, since on Qt's connection every reply is handed over by Qt's X event thread, which
// costs more than the reads themselves. When the server takes no more clients, Qt's connection
// serves. When Qt is not on X, the X server that DISPLAY names is read, if there is one.
std::unique_ptr<Screen> MakeX11Screen(X11Screen::Reads reads) {
  const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  Display* qtDisplay = x11 != nullptr ? x11->display() : nullptr;
  Display* own = XOpenDisplay(qtDisplay != nullptr ? DisplayString(qtDisplay) : nullptr);
  if (own != nullptr) return std::make_unique<X11Screen>(own, X11Screen::Connection::kOwn, reads);
  return std::make_unique<X11Screen>(qtDisplay, X11Screen::Connection::kShared, reads);
}

}  // namespace

// Where the cursor and the screen pixels come from: the X server on an X11 desktop; on a
// Wayland desktop the screen-cast portal, when it can give the pointer's position (GNOME,
// KDE); otherwise, as on wlroots desktops or in a build without the portal, what XWayland can
// read.
std::unique_ptr<Screen> QtPlatform::MakeScreen() {
  if (!WaylandSession()) return MakeX11Screen(X11Screen::Reads::kRootWindow);
#if HUECLIP_PORTAL
  return std::make_unique<FallbackScreen>(
      [this](std::string_view text) { toolkit_->Warn(text); },
      [] { return MakeX11Screen(X11Screen::Reads::kWindowUnderBlock); });
#else
  std::fputs(
      "hueclip: this build reads the screen only through X11; only X11 windows can be read\n",
      stderr);
  return MakeX11Screen(X11Screen::Reads::kWindowUnderBlock);
#endif
}

std::unique_ptr<QtPlatform> QtPlatform::Create(int& argc, char** argv) {
  // The desktop's programs that Hueclip starts get the environment as the user set it.
  QProcessEnvironment userEnvironment = QProcessEnvironment::systemEnvironment();
  if (!PrepareQt(argc, argv)) return nullptr;
  return std::unique_ptr<QtPlatform>(new QtPlatform(argc, argv, std::move(userEnvironment)));
}

QtPlatform::QtPlatform(int& argc, char** argv, QProcessEnvironment userEnvironment)
    : app_(std::make_unique<QApplication>(argc, argv)),
      quitOnSignals_(QuitOnSignals()),
      screen_(MakeScreen()),
      clipboard_(std::make_unique<QtClipboard>()),
      shell_(std::make_unique<QtShell>(std::move(userEnvironment))),
      toolkit_(std::make_unique<QtToolkit>()),
      services_(std::make_unique<Services>(Services{*screen_, *clipboard_, *shell_, *toolkit_})) {
  QApplication::setApplicationName(QStringLiteral("Hueclip"));
  // The windows are laid out for left-to-right text whatever the language (or -reverse):
  // "92, 151" must not read "151 ,92", nor captions move inside their labels.
  QApplication::setLayoutDirection(Qt::LeftToRight);
  // Both windows carry the application's icon. One made for each window would leave its scaled
  // copies behind in Qt's pixmap cache each time the About window is built.
  QApplication::setWindowIcon(QIcon(QPixmap(hueclip_xpm)));
}

QtPlatform::~QtPlatform() = default;

}  // namespace hueclip::qt
