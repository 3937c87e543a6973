#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/services.h"

namespace hueclip::qt {

// The screen on a Wayland desktop: the screen-cast portal's, until the portal answers that it
// cannot give the pointer's position or no portal can be started at all (as on wlroots
// desktops); from then on, what XWayland can read of the X11 windows. Until the portal has
// answered, however long it takes to start, the screen cannot be seen yet.
class FallbackScreen final : public QObject, public Screen {
 public:
  // `warn` tells the user what the portal says of the screen: that it is lost, or that no picture
  // comes. `makeX11` makes the screen to fall back to.
  FallbackScreen(std::function<void(std::string_view)> warn,
                 std::function<std::unique_ptr<Screen>()> makeX11);

  std::unique_ptr<ScreenContext> GetWindowDC() override { return screen_->GetWindowDC(); }
  std::string WhyUnseen() const override { return screen_->WhyUnseen(); }

 private:
  void FallBackToX11();

  std::function<std::unique_ptr<Screen>()> makeX11_;
  std::unique_ptr<Screen> screen_;
};

}  // namespace hueclip::qt
