#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "platform/qt/key_map.h"

namespace hueclip::qt {
namespace {

TEST(QtKeyMap, KeysymsGiveWindowsKeyCodes) {
  const std::pair<std::uint32_t, int> cases[] = {
      // Letters by their upper-case code in either case.
      {XK_w, 87},
      {XK_W, 87},
      // The keypad without Num Lock gives the cursor keys' codes.
      {XK_KP_Up, 38},
      // Symbols that name no key: the caller then asks the key's other symbols.
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
