#pragma once

#include <memory>

#include "platform/qt/x11_display.h"
#include "platform/services.h"

namespace hueclip::qt {

// The cursor and the screen pixels of the X server's default screen, read through Xlib. A
// sampling pass costs two requests: the pointer query and one image of the block.
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

  // The root window's size as last asked of the server. The pixels outside it are unreadable;
  // a block that reaches its edge, or an image request that fails, asks again, as the screen
  // may have been resized since.
  int RootWidth() const { return rootWidth_; }
  int RootHeight() const { return rootHeight_; }
  void RefreshRootSize();
  Display* display() const { return display_; }

 private:
  Display* display_;
  bool owned_ = false;
  int rootWidth_ = 0, rootHeight_ = 0;
};

}  // namespace hueclip::qt
