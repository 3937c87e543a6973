// Screen provider for X11 desktops, and for X windows on Wayland desktops without a usable
// screen-cast portal: the cursor and the pixels read straight from the X server with Xlib.
//
// Supports:
//  - true colour screens of 15 bits a pixel and more, whatever the channels' order and width,
//    and direct colour screens, whose pixels go through the colour map;
//  - several X screens on one server: the pixels come from the screen the pointer is on;
//  - a screen that grows or shrinks while Hueclip runs (the root window is measured again);
//  - blocks that cross the screen's edge: the part beyond it reads as black, and nothing is
//    asked of the server for a block wholly off the screen;
//  - rootless servers (XWayland): the block is read from the top-level X window under its
//    centre, clipped to that window.
// Does not support:
//  - 8-bit (pseudo colour) screens, which Qt cannot paint on: the program refuses them at start;
//  - on a rootless server, native Wayland windows and the desktop itself: they read as nothing
//    (black), as does the part of the block beyond the X window under its centre.
//
// A sampling pass costs two requests: the pointer query and one image of the block. On a rootless
// server it costs four: the window under the block and its geometry are asked first.
#include "platform/x11/screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <cstddef>
#include <vector>

#include "platform/pixel_block.h"
#include "platform/x11/pixels.h"

namespace hueclip::x11 {
namespace {

constexpr int kSize = PixelBlockContext::kSize;

// A failed image request (BadMatch when the screen shrank under the cached size) must not
// reach Xlib's default handler, which ends the program; the request then just yields nothing.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

XImage* GetImageQuietly(Display* display, Window window, const PixelRect& clip) {
  // XGetImage waits for its reply, so any error it causes is handled before it returns.
  const XErrorHandler previous = XSetErrorHandler(IgnoreError);
  XImage* image = XGetImage(display, window, clip.left, clip.top, static_cast<unsigned>(clip.width),
                            static_cast<unsigned>(clip.height), AllPlanes, ZPixmap);
  XSetErrorHandler(previous);
  return image;
}

// One sampling pass: each grab is a single XGetImage of the part of the block that lies on
// the root window. A request that crossed the screen's edge would be answered with BadMatch,
// so the rectangle is clipped first and nothing is asked when no pixel of it is on the screen.
class X11ScreenContext final : public PixelBlockContext {
 public:
  X11ScreenContext(X11Screen& screen, Point cursor) : PixelBlockContext(cursor), screen_(screen) {}

 protected:
  void Grab(std::int32_t left, std::int32_t top,
            std::array<std::int32_t, kSize * kSize>& out) override {
    out.fill(-1);
    if (screen_.WindowsOnly()) {
      GrabFromWindowUnderBlock(left, top, out);
      return;
    }
    PixelRect clip = ClipToRoot(left, top);
    // At the edge of the known screen: the screen may have grown since it was measured.
    if (clip.width < kSize || clip.height < kSize) {
      screen_.RefreshRootSize();
      clip = ClipToRoot(left, top);
    }
    if (clip.Empty()) return;
    const Window root = RootWindow(screen_.display(), screen_.ScreenNumber());
    XImage* image = GetImageQuietly(screen_.display(), root, clip);
    if (image == nullptr) {
      // The screen shrank: measure it and try once more.
      screen_.RefreshRootSize();
      clip = ClipToRoot(left, top);
      if (clip.Empty() || (image = GetImageQuietly(screen_.display(), root, clip)) == nullptr)
        return;
    }
    Store(image, clip, {left, top}, out);
  }

 private:
  PixelRect ClipToRoot(std::int32_t left, std::int32_t top) const {
    return ClipBlock(left, top, {0, 0, screen_.RootWidth(), screen_.RootHeight()});
  }

  // A rootless X server (XWayland) cannot give the root window's pixels, but each X window
  // still has its own: the block is read from the top-level window under its centre, clipped to
  // that window. Pixels beyond it, or with no X window under the centre, stay unreadable.
  void GrabFromWindowUnderBlock(std::int32_t left, std::int32_t top,
                                std::array<std::int32_t, kSize * kSize>& out) {
    Display* display = screen_.display();
    const Window root = RootWindow(display, screen_.ScreenNumber());
    Window child = 0;
    int x = 0, y = 0;
    if (XTranslateCoordinates(display, root, root, left + kSize / 2, top + kSize / 2, &x, &y,
                              &child) == 0 ||
        child == 0)
      return;
    Window childRoot = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (XGetGeometry(display, child, &childRoot, &x, &y, &width, &height, &border, &depth) == 0)
      return;
    // The window's own pixels start inside its border.
    const long long originX = static_cast<long long>(x) + border;
    const long long originY = static_cast<long long>(y) + border;
    const std::int32_t blockLeft = static_cast<std::int32_t>(left - originX);
    const std::int32_t blockTop = static_cast<std::int32_t>(top - originY);
    const PixelRect clip =
        ClipBlock(blockLeft, blockTop, {0, 0, static_cast<int>(width), static_cast<int>(height)});
    if (clip.Empty()) return;
    if (XImage* image = GetImageQuietly(display, child, clip))
      Store(image, clip, {blockLeft, blockTop}, out);
  }

  // Takes the pixels of `image` (the part `clip` of the block at `block`) into their cells, and
  // frees it.
  void Store(XImage* image, const PixelRect& clip, Point block,
             std::array<std::int32_t, kSize * kSize>& out) {
    std::vector<unsigned long> pixels;
    for (int y = 0; y < clip.height; ++y)
      for (int x = 0; x < clip.width; ++x) pixels.push_back(XGetPixel(image, x, y));
    XDestroyImage(image);

    const std::vector<Colour> colours = Convert(screen_.display(), screen_.ScreenNumber(), pixels);
    std::size_t next = 0;
    for (int y = 0; y < clip.height; ++y)
      for (int x = 0; x < clip.width; ++x)
        out[static_cast<std::size_t>((clip.top - block.y + y) * kSize + clip.left - block.x + x)] =
            colours[next++];
  }

  static std::vector<Colour> Convert(Display* display, int screen,
                                     const std::vector<unsigned long>& pixels) {
    std::vector<Colour> colours;
    // Only true colour pixels hold their colour as bit fields; direct colour pixels hold indexes
    // into the colour map, one a channel, and go through it like those of a colour-mapped
    // screen.
    const Visual* visual = DefaultVisual(display, screen);
    if (visual->c_class == TrueColor) {
      const ChannelMasks masks{visual->red_mask, visual->green_mask, visual->blue_mask};
      for (unsigned long p : pixels) colours.push_back(ColourFromPixel(p, masks));
      return colours;
    }
    // The server looks the pixel values up in the root window's colour map.
    std::vector<XColor> entries(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) entries[i].pixel = pixels[i];
    XQueryColors(display, DefaultColormap(display, screen), entries.data(),
                 static_cast<int>(entries.size()));
    for (const XColor& e : entries) colours.push_back(ColourFromRgb16(e.red, e.green, e.blue));
    return colours;
  }

  X11Screen& screen_;
};

}  // namespace

X11Screen::X11Screen(Display* display, Connection connection, Reads reads)
    : display_(display), connection_(connection), windowsOnly_(reads == Reads::kWindowUnderBlock) {
  if (display_ != nullptr) screen_ = DefaultScreen(display_);
  RefreshRootSize();
}

void X11Screen::RefreshRootSize() {
  rootWidth_ = rootHeight_ = 0;
  if (display_ == nullptr) return;
  Window root = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  if (XGetGeometry(display_, RootWindow(display_, screen_), &root, &x, &y, &width, &height, &border,
                   &depth) != 0) {
    rootWidth_ = static_cast<int>(width);
    rootHeight_ = static_cast<int>(height);
  }
}

X11Screen::~X11Screen() {
  if (connection_ == Connection::kOwn && display_ != nullptr) XCloseDisplay(display_);
}

Point X11Screen::QueryPointer() {
  Window root_return = 0, child_return = 0;
  int root_x = 0, root_y = 0, window_x = 0, window_y = 0;
  unsigned int mask = 0;
  XQueryPointer(display_, RootWindow(display_, screen_), &root_return, &child_return, &root_x,
                &root_y, &window_x, &window_y, &mask);
  // On a server with several screens the pointer may have gone to another one: the position is
  // then on that screen's root window, and the pixels must come from there too.
  if (root_return != RootWindow(display_, screen_)) {
    for (int s = 0; s < ScreenCount(display_); ++s) {
      if (RootWindow(display_, s) != root_return) continue;
      screen_ = s;
      RefreshRootSize();
      break;
    }
  }
  return {root_x, root_y};
}

std::unique_ptr<ScreenContext> X11Screen::GetWindowDC() {
  if (display_ == nullptr) return nullptr;
  // The pointer first: it picks the X screen that the pixels are read from.
  const Point cursor = QueryPointer();
  return std::make_unique<X11ScreenContext>(*this, cursor);
}

}  // namespace hueclip::x11
