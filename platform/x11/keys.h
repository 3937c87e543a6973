#pragma once

#include <cstdint>
#include <vector>

#include "platform/x11/display.h"

namespace hueclip::x11 {

// The keysyms that the key with this X key code gives, as the server's keyboard map has it
// now: in the keyboard group `first`, then in each other group in turn, each without and then
// with Shift. Empty when the key gives none.
std::vector<std::uint32_t> KeysymsOf(Display* display, unsigned keycode, int first);

}  // namespace hueclip::x11
