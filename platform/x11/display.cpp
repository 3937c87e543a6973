#include "platform/x11/display.h"

#include <X11/Xlib.h>

#include <cmath>
#include <cstdlib>

namespace hueclip::x11 {

XDisplayFacts ProbeXDisplay(const char* name) {
  XDisplayFacts facts;
  Display* display = XOpenDisplay(name);
  if (display == nullptr) return facts;
  facts.reachable = true;
  const int screen = DefaultScreen(display);
  facts.depth = DefaultDepth(display, screen);
  double dpi = 0;
  if (const char* xft = XGetDefault(display, "Xft", "dpi")) dpi = std::strtod(xft, nullptr);
  if (!(dpi > 0)) {
    const int millimetres = DisplayWidthMM(display, screen);
    if (millimetres > 0) dpi = DisplayWidth(display, screen) * 25.4 / millimetres;
  }
  XCloseDisplay(display);
  const long rounded = std::lround(dpi);
  facts.dpi = rounded >= 24 && rounded <= 1000 ? static_cast<int>(rounded) : 96;
  return facts;
}

}  // namespace hueclip::x11
