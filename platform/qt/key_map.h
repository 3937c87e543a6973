#pragma once

#include <cstdint>

#include <QtCore/qnamespace.h>

namespace hueclip::qt {

// The Windows virtual-key code of an X keysym: a letter gives its upper-case code in either
// case, a digit its own code, the keypad, function, cursor and editing keys their codes; 0 for
// a symbol that names no key (a shifted punctuation mark, a letter of another alphabet).
std::int16_t VirtualKeyFromKeysym(std::uint32_t keysym);

// The same for a Qt key code, for key events that carry no X key (made by the program itself).
std::int16_t VirtualKeyFromQtKey(int key);

// The shift state passed with a key press: 1 Shift, 2 Ctrl, 4 Alt.
std::int16_t ShiftState(Qt::KeyboardModifiers modifiers);

}  // namespace hueclip::qt
