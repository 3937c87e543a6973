#include "platform/qt/x11_display.h"

#include <X11/Xlib.h>

#include <cmath>
#include <cstdlib>

namespace hueclip::qt {

int XDisplayDpi() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 0;
  double dpi = 0;
  if (const char* xft = XGetDefault(display, "Xft", "dpi")) dpi = std::strtod(xft, nullptr);
  if (!(dpi > 0)) {
    const int screen = DefaultScreen(display);
    const int millimetres = DisplayWidthMM(display, screen);
    if (millimetres > 0) dpi = DisplayWidth(display, screen) * 25.4 / millimetres;
  }
  XCloseDisplay(display);
  const long rounded = std::lround(dpi);
  return rounded >= 24 && rounded <= 1000 ? static_cast<int>(rounded) : 96;
}

}  // namespace hueclip::qt
