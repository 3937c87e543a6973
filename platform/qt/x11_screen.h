#pragma once

#include <memory>

#include "platform/qt/x11_display.h"
#include "platform/services.h"

namespace hueclip::qt {

// The cursor and the screen pixels of the X server's default screen, read through Xlib.
class X11Screen final : public Screen {
 public:
  // Works on `display` (not owned); opens a connection of its own when it is null, and reads
  // nothing (cursor at 0, 0, no pixels) when there is no X server at all.
  explicit X11Screen(Display* display);
  ~X11Screen() override;
  X11Screen(const X11Screen&) = delete;
  X11Screen& operator=(const X11Screen&) = delete;

  Point GetCursorPos() override;
  std::unique_ptr<ScreenContext> GetWindowDC() override;

 private:
  Display* display_;
  bool owned_ = false;
};

}  // namespace hueclip::qt
