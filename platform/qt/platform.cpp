#include "platform/qt/platform.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include <QApplication>
#include <QByteArray>
#include <QIcon>
#include <QPixmap>
#include <QProcessEnvironment>
#include <QTimer>

#include <X11/Xlib.h>

#include "platform/qt/clipboard.h"
#include "platform/qt/shell.h"
#include "platform/qt/toolkit.h"
#include "platform/x11/display.h"
#include "platform/x11/screen.h"
#include "resources/hueclip.xpm"
#if HUECLIP_PORTAL
#include "platform/portal/screen.h"
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
  // server's too; by itself Qt would take 96 whenever the desktop sets no Xft.dpi.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
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
  if (own != nullptr) return std::make_unique<X11Screen>(own, true, reads);
  return std::make_unique<X11Screen>(qtDisplay, false, reads);
}

#if HUECLIP_PORTAL
using portal::PortalScreen;

// Told once when the streams carry the pointer's position but no picture: the sharing goes on.
constexpr std::string_view kNoPicture =
    "Hueclip cannot see the screen: the desktop shares it, but sends only the pointer's position "
    "and no picture of the screen.\n"
    "Some virtual monitors and graphics drivers do so. Hueclip goes on waiting for a picture.";

// The screen on a Wayland desktop: the screen-cast portal's, until the portal answers that it
// cannot give the pointer's position or no portal can be started at all (as on wlroots
// desktops); from then on, what XWayland can read. Until the portal has answered, however long
// it takes to start, the screen cannot be seen yet.
class WaylandScreen final : public Screen {
 public:
  explicit WaylandScreen(std::function<void(std::string_view)> warn)
      : screen_(std::make_unique<PortalScreen>(
            [this, warn = std::move(warn)](PortalScreen::Failure failure) {
              if (failure == PortalScreen::Failure::kNoPicture) return warn(kNoPicture);
              // A loss is told as the screen says it from then on, to a copy too.
              if (failure != PortalScreen::Failure::kUnavailable) return warn(screen_->Unseen());
              std::fputs(
                  "hueclip: no screen-cast portal here gives the pointer's position; only X11 "
                  "windows can be read\n",
                  stderr);
              // Not replaced from inside its own call.
              QTimer::singleShot(0, &guard_, [this] {
                screen_ = MakeX11Screen(X11Screen::Reads::kWindowUnderBlock);
              });
            })) {}

  Point GetCursorPos() override { return screen_->GetCursorPos(); }
  std::unique_ptr<ScreenContext> GetWindowDC() override { return screen_->GetWindowDC(); }
  std::string Unseen() const override { return screen_->Unseen(); }

 private:
  QObject guard_;
  std::unique_ptr<Screen> screen_;
};
#endif

}  // namespace

// Where the cursor and the screen pixels come from: the X server on an X11 desktop; on a
// Wayland desktop the screen-cast portal, when it can give the pointer's position (GNOME,
// KDE); otherwise, as on wlroots desktops or in a build without the portal, what XWayland can
// read.
std::unique_ptr<Screen> QtPlatform::MakeScreen() {
  if (!WaylandSession()) return MakeX11Screen(X11Screen::Reads::kRootWindow);
#if HUECLIP_PORTAL
  return std::make_unique<WaylandScreen>([this](std::string_view text) { toolkit_->Warn(text); });
#else
  std::fputs(
      "hueclip: this build reads the screen only through X11; only X11 windows can be read\n",
      stderr);
#endif
  return MakeX11Screen(X11Screen::Reads::kWindowUnderBlock);
}

std::unique_ptr<QtPlatform> QtPlatform::Create(int& argc, char** argv) {
  // The desktop's programs that Hueclip starts get the environment as the user set it.
  QProcessEnvironment userEnvironment = QProcessEnvironment::systemEnvironment();
  if (!PrepareQt(argc, argv)) return nullptr;
  return std::unique_ptr<QtPlatform>(new QtPlatform(argc, argv, std::move(userEnvironment)));
}

QtPlatform::QtPlatform(int& argc, char** argv, QProcessEnvironment userEnvironment)
    : app_(std::make_unique<QApplication>(argc, argv)),
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
