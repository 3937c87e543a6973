#include "platform/x11/keys.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace hueclip::x11 {

std::vector<std::uint32_t> KeysymsOf(Display* display, unsigned keycode, int first) {
  std::vector<std::uint32_t> keysyms;
  if (display == nullptr) return keysyms;
  // Asked afresh: Xlib's copy of the map would not learn of a layout set since start-up, as
  // Qt, not Xlib, reads the connection's events.
  XkbDescPtr xkb = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
  if (xkb == nullptr) return keysyms;
  if (keycode >= xkb->min_key_code && keycode <= xkb->max_key_code) {
    const auto key = static_cast<KeyCode>(keycode);
    const int groups = XkbKeyNumGroups(xkb, key);
    auto add = [&](int group) {
      for (int level = 0; level < 2 && level < XkbKeyGroupWidth(xkb, key, group); ++level) {
        const KeySym sym = XkbKeySymEntry(xkb, key, level, group);
        if (sym != NoSymbol) keysyms.push_back(static_cast<std::uint32_t>(sym));
      }
    };
    if (first < groups) add(first);
    for (int group = 0; group < groups; ++group)
      if (group != first) add(group);
  }
  XkbFreeKeyboard(xkb, 0, True);
  return keysyms;
}

}  // namespace hueclip::x11
