#pragma once

#include <cstdint>

#include "platform/qt/x11_display.h"

namespace hueclip::qt {

// The keysym that the key with this X key code gives in the keyboard group and shift level
// (level 0 is the key without Shift); 0 when it gives none.
std::uint32_t KeysymOf(Display* display, unsigned keycode, int group, int level);

}  // namespace hueclip::qt
