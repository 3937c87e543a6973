#pragma once

// Xlib's display type, declared as Xlib does, so that Qt code need not include Xlib's macros.
typedef struct _XDisplay Display;

namespace hueclip::qt {

// The logical DPI of the X server (X11 or XWayland) on the display named by DISPLAY: the
// desktop's Xft.dpi setting when there is one, otherwise the default screen's size in pixels
// over its size in millimetres, 96 when that is unknown. 0 when no X server answers.
int XDisplayDpi();

}  // namespace hueclip::qt
