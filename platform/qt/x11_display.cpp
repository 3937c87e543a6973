#include "platform/qt/x11_display.h"

#include <X11/Xlib.h>

namespace hueclip::qt {

bool XDisplayAvailable() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  XCloseDisplay(display);
  return true;
}

}  // namespace hueclip::qt
