#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "platform/qt/key_map.h"

namespace hueclip::qt {
namespace {

TEST(QtKeyMap, KeysymsGiveWindowsKeyCodes) {
  const std::pair<std::uint32_t, int> cases[] = {
      // Letters by their upper-case code in either case.
      {XK_a, 65},
      {XK_A, 65},
      {XK_w, 87},
      {XK_S, 83},
      {XK_z, 90},
      // Digits, keypad digits, and the keypad without Num Lock as the cursor keys.
      {XK_0, 48},
      {XK_9, 57},
      {XK_KP_0, 96},
      {XK_KP_9, 105},
      {XK_KP_Up, 38},
      {XK_Left, 37},
      {XK_Escape, 27},
      {XK_Return, 13},
      {XK_KP_Enter, 13},
      {XK_ISO_Left_Tab, 9},
      {XK_F12, 123},
      {XK_Shift_R, 16},
      {XK_semicolon, 186},
      // Symbols that name no key: the caller then asks for the key's unshifted symbol.
      {XK_exclam, 0},
      {XK_Cyrillic_ef, 0},
      {0, 0}};
  for (auto [keysym, code] : cases) EXPECT_EQ(VirtualKeyFromKeysym(keysym), code) << keysym;
}

TEST(QtKeyMap, QtKeysAndModifiers) {
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F), 70);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Enter), 13);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Exclam), 0);
  EXPECT_EQ(ShiftState(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
  EXPECT_EQ(ShiftState(Qt::ControlModifier), 2);
  // Neither the Windows key nor the keypad flag is a shift state.
  EXPECT_EQ(ShiftState(Qt::MetaModifier | Qt::KeypadModifier), 0);
}

}  // namespace
}  // namespace hueclip::qt
