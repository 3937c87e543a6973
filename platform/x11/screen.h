#pragma once

#include <memory>

#include "platform/services.h"
#include "platform/x11/display.h"

namespace hueclip::x11 {

// The cursor and the screen pixels of an X server, read through Xlib from the X screen that the
// pointer is on. A sampling pass costs two requests, the pointer query and one image of the
// block; four on a rootless server, which also finds the window under the block and its place.
class X11Screen final : public Screen {
 public:
  enum class Reads {
    kRootWindow,        // everything on the screen
    kWindowUnderBlock,  // a rootless server (XWayland): only X windows have pixels to give
  };

  // Whose the display is: a connection of the screen's own is closed with it.
  enum class Connection { kOwn, kShared };

  // Reads over `display`. With no display at all, no pass reads anything.
  X11Screen(Display* display, Connection connection, Reads reads = Reads::kRootWindow);
  ~X11Screen() override;
  X11Screen(const X11Screen&) = delete;
  X11Screen& operator=(const X11Screen&) = delete;

  // Queries the pointer and reads the block around it from the X screen it is on.
  std::unique_ptr<ScreenContext> GetWindowDC() override;

  // The X screen the pointer was on at the last pass; the pixels are read from its root
  // window, whose size is kept as last asked of the server. The pixels outside it are unreadable;
  // a block that reaches its edge, or an image request that fails, asks again, as the screen
  // may have been resized since.
  int RootWidth() const { return rootWidth_; }
  int RootHeight() const { return rootHeight_; }
  void RefreshRootSize();
  Display* display() const { return display_; }
  int ScreenNumber() const { return screen_; }
  bool WindowsOnly() const { return windowsOnly_; }

 private:
  // The pointer's position on the root window of its X screen, which becomes the one read.
  Point QueryPointer();

  Display* display_;
  Connection connection_;
  bool windowsOnly_;
  int screen_ = 0;
  int rootWidth_ = 0, rootHeight_ = 0;
};

}  // namespace hueclip::x11
