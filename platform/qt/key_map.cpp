#include "platform/qt/key_map.h"

#include <X11/keysym.h>

#include "platform/window.h"

namespace hueclip::qt {
namespace {

// Windows virtual-key codes that are not letters or digits.
enum : std::int16_t {
  kVkBack = 8,
  kVkTab = 9,
  kVkClear = 12,
  kVkReturn = 13,
  kVkShift = 16,
  kVkControl = 17,
  kVkMenu = 18,  // Alt
  kVkPause = 19,
  kVkCapital = 20,
  kVkEscape = 27,
  kVkSpace = 32,
  kVkPrior = 33,
  kVkNext = 34,
  kVkEnd = 35,
  kVkHome = 36,
  kVkLeft = 37,
  kVkUp = 38,
  kVkRight = 39,
  kVkDown = 40,
  kVkSnapshot = 44,
  kVkInsert = 45,
  kVkDelete = 46,
  kVkLWin = 91,
  kVkRWin = 92,
  kVkApps = 93,
  kVkNumpad0 = 96,
  kVkMultiply = 106,
  kVkAdd = 107,
  kVkSeparator = 108,
  kVkSubtract = 109,
  kVkDecimal = 110,
  kVkDivide = 111,
  kVkF1 = 112,
  kVkNumLock = 144,
  kVkScroll = 145,
  kVkOem1 = 186,  // ;:
  kVkOemPlus = 187,
  kVkOemComma = 188,
  kVkOemMinus = 189,
  kVkOemPeriod = 190,
  kVkOem2 = 191,  // /?
  kVkOem3 = 192,  // `~
  kVkOem4 = 219,  // [{
  kVkOem5 = 220,  // \|
  kVkOem6 = 221,  // ]}
  kVkOem7 = 222,  // '"
  kVkOem102 = 226,
};

constexpr std::int16_t Vk(int code) { return static_cast<std::int16_t>(code); }

}  // namespace

std::int16_t VirtualKeyFromKeysym(std::uint32_t keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return Vk('A' + static_cast<int>(keysym - XK_a));
  if (keysym >= XK_A && keysym <= XK_Z) return Vk('A' + static_cast<int>(keysym - XK_A));
  if (keysym >= XK_0 && keysym <= XK_9) return Vk('0' + static_cast<int>(keysym - XK_0));
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
    return Vk(kVkNumpad0 + static_cast<int>(keysym - XK_KP_0));
  if (keysym >= XK_F1 && keysym <= XK_F24) return Vk(kVkF1 + static_cast<int>(keysym - XK_F1));
  switch (keysym) {
    case XK_BackSpace:
      return kVkBack;
    case XK_Tab:
    case XK_ISO_Left_Tab:
    case XK_KP_Tab:
      return kVkTab;
    case XK_Clear:
    case XK_KP_Begin:
      return kVkClear;
    case XK_Return:
    case XK_KP_Enter:
      return kVkReturn;
    case XK_Shift_L:
    case XK_Shift_R:
      return kVkShift;
    case XK_Control_L:
    case XK_Control_R:
      return kVkControl;
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R:
    case XK_ISO_Level3_Shift:
      return kVkMenu;
    case XK_Pause:
    case XK_Break:
      return kVkPause;
    case XK_Caps_Lock:
      return kVkCapital;
    case XK_Escape:
      return kVkEscape;
    case XK_space:
    case XK_KP_Space:
      return kVkSpace;
    case XK_Prior:
    case XK_KP_Prior:
      return kVkPrior;
    case XK_Next:
    case XK_KP_Next:
      return kVkNext;
    case XK_End:
    case XK_KP_End:
      return kVkEnd;
    case XK_Home:
    case XK_KP_Home:
      return kVkHome;
    case XK_Left:
    case XK_KP_Left:
      return kVkLeft;
    case XK_Up:
    case XK_KP_Up:
      return kVkUp;
    case XK_Right:
    case XK_KP_Right:
      return kVkRight;
    case XK_Down:
    case XK_KP_Down:
      return kVkDown;
    case XK_Print:
    case XK_Sys_Req:
      return kVkSnapshot;
    case XK_Insert:
    case XK_KP_Insert:
      return kVkInsert;
    case XK_Delete:
    case XK_KP_Delete:
      return kVkDelete;
    case XK_Super_L:
      return kVkLWin;
    case XK_Super_R:
      return kVkRWin;
    case XK_Menu:
      return kVkApps;
    case XK_KP_Multiply:
      return kVkMultiply;
    case XK_KP_Add:
      return kVkAdd;
    case XK_KP_Separator:
      return kVkSeparator;
    case XK_KP_Subtract:
      return kVkSubtract;
    case XK_KP_Decimal:
      return kVkDecimal;
    case XK_KP_Divide:
      return kVkDivide;
    case XK_Num_Lock:
      return kVkNumLock;
    case XK_Scroll_Lock:
      return kVkScroll;
    case XK_semicolon:
      return kVkOem1;
    case XK_equal:
      return kVkOemPlus;
    case XK_comma:
      return kVkOemComma;
    case XK_minus:
      return kVkOemMinus;
    case XK_period:
      return kVkOemPeriod;
    case XK_slash:
      return kVkOem2;
    case XK_grave:
      return kVkOem3;
    case XK_bracketleft:
      return kVkOem4;
    case XK_backslash:
      return kVkOem5;
    case XK_bracketright:
      return kVkOem6;
    case XK_apostrophe:
      return kVkOem7;
    case XK_less:
      return kVkOem102;
    default:
      return 0;
  }
}

std::int16_t VirtualKeyFromQtKey(int key) {
  // Qt gives letters by their upper-case code and digits by their own, as Windows does.
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
    return Vk(key);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return Vk(kVkF1 + (key - Qt::Key_F1));
  switch (key) {
    case Qt::Key_Backspace:
      return kVkBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return kVkTab;
    case Qt::Key_Clear:
      return kVkClear;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return kVkReturn;
    case Qt::Key_Shift:
      return kVkShift;
    case Qt::Key_Control:
      return kVkControl;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
      return kVkMenu;
    case Qt::Key_Pause:
      return kVkPause;
    case Qt::Key_CapsLock:
      return kVkCapital;
    case Qt::Key_Escape:
      return kVkEscape;
    case Qt::Key_Space:
      return kVkSpace;
    case Qt::Key_PageUp:
      return kVkPrior;
    case Qt::Key_PageDown:
      return kVkNext;
    case Qt::Key_End:
      return kVkEnd;
    case Qt::Key_Home:
      return kVkHome;
    case Qt::Key_Left:
      return kVkLeft;
    case Qt::Key_Up:
      return kVkUp;
    case Qt::Key_Right:
      return kVkRight;
    case Qt::Key_Down:
      return kVkDown;
    case Qt::Key_Print:
      return kVkSnapshot;
    case Qt::Key_Insert:
      return kVkInsert;
    case Qt::Key_Delete:
      return kVkDelete;
    case Qt::Key_Menu:
      return kVkApps;
    case Qt::Key_NumLock:
      return kVkNumLock;
    case Qt::Key_ScrollLock:
      return kVkScroll;
    default:
      return 0;
  }
}

std::int16_t ShiftState(Qt::KeyboardModifiers modifiers) {
  std::int16_t shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= kShiftMask;
  if (modifiers & Qt::ControlModifier) shift |= kCtrlMask;
  if (modifiers & Qt::AltModifier) shift |= kAltMask;
  return shift;
}

}  // namespace hueclip::qt
