#include "platform/qt/fallback_screen.h"

#include <QTimer>

#include <cstdio>

#include "platform/portal/screen.h"

namespace hueclip::qt {

using portal::PortalScreen;

FallbackScreen::FallbackScreen(std::function<void(std::string_view)> warn,
                               std::function<std::unique_ptr<Screen>()> makeX11)
    : makeX11_(std::move(makeX11)) {
  screen_ = std::make_unique<PortalScreen>(
      [this, warn = std::move(warn)](PortalScreen::Event event, const std::string& notice) {
        if (event == PortalScreen::Event::kUnavailable) return FallBackToX11();
        warn(notice);
      });
}

void FallbackScreen::FallBackToX11() {
  std::fputs(
      "hueclip: no screen-cast portal here gives the pointer's position; only X11 windows can be "
      "read\n",
      stderr);
  // Not replaced from inside its own call.
  QTimer::singleShot(0, this, [this] { screen_ = makeX11_(); });
}

}  // namespace hueclip::qt
