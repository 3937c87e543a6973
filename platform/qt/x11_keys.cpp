#include "platform/qt/x11_keys.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace hueclip::qt {

std::uint32_t KeysymOf(Display* display, unsigned keycode, int group, int level) {
  if (display == nullptr || keycode < 8 || keycode > 255) return 0;
  const KeySym sym = XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), group, level);
  return sym == NoSymbol ? 0 : static_cast<std::uint32_t>(sym);
}

}  // namespace hueclip::qt
