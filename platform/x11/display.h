#pragma once

// Xlib's display type, declared as Xlib does, so that Qt code need not include Xlib's macros.
typedef struct _XDisplay Display;

namespace hueclip::x11 {

// What the program needs to know of an X server (X11 or XWayland) before Qt starts on it.
struct XDisplayFacts {
  bool reachable = false;
  // The logical DPI: the desktop's Xft.dpi setting when there is one, otherwise the default
  // screen's size in pixels over its size in millimetres, 96 when that is unknown.
  int dpi = 0;
  int depth = 0;  // of the default screen's root window, in bits
};

// The facts of the X server named `name` (DISPLAY when null); not reachable when none answers.
XDisplayFacts ProbeXDisplay(const char* name);

}  // namespace hueclip::x11
