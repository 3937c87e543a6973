#pragma once

// Xlib's display type, declared as Xlib does, so that Qt code need not include Xlib's macros.
typedef struct _XDisplay Display;

namespace hueclip::qt {

// Whether an X server (X11 or XWayland) answers on the display named by DISPLAY.
bool XDisplayAvailable();

}  // namespace hueclip::qt
