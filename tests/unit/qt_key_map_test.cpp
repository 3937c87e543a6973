#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "platform/qt/key_map.h"

namespace hueclip::qt {
namespace {

TEST(QtKeyMap, LettersGiveTheirUpperCaseCodeInEitherCase) {
  EXPECT_EQ(VirtualKeyFromKeysym(XK_a), 65);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_A), 65);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_w), 87);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_S), 83);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_z), 90);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Z), 90);
}

TEST(QtKeyMap, DigitsAndKeypadDigitsAreDistinct) {
  EXPECT_EQ(VirtualKeyFromKeysym(XK_0), 48);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_9), 57);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_0), 96);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_9), 105);
  // The keypad without Num Lock acts as the editing and cursor keys.
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_Home), 36);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_Up), 38);
}

TEST(QtKeyMap, NamedKeys) {
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Left), 37);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Up), 38);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Right), 39);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Down), 40);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Escape), 27);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Return), 13);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_Enter), 13);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_space), 32);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Tab), 9);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_ISO_Left_Tab), 9);  // Shift+Tab
  EXPECT_EQ(VirtualKeyFromKeysym(XK_F1), 112);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_F12), 123);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Shift_R), 16);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Control_L), 17);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Alt_L), 18);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Delete), 46);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_semicolon), 186);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_apostrophe), 222);
}

// A shifted symbol names no key by itself: the caller then asks for the key's unshifted symbol.
TEST(QtKeyMap, SymbolsThatNameNoKeyGiveZero) {
  EXPECT_EQ(VirtualKeyFromKeysym(XK_exclam), 0);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_colon), 0);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Cyrillic_ef), 0);
  EXPECT_EQ(VirtualKeyFromKeysym(0), 0);
}

TEST(QtKeyMap, QtKeys) {
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_A), 65);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F), 70);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_5), 53);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Escape), 27);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Return), 13);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Enter), 13);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Space), 32);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Down), 40);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F1), 112);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F12), 123);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Exclam), 0);
}

TEST(QtKeyMap, ShiftStateBits) {
  EXPECT_EQ(ShiftState(Qt::NoModifier), 0);
  EXPECT_EQ(ShiftState(Qt::ShiftModifier), 1);
  EXPECT_EQ(ShiftState(Qt::ControlModifier), 2);
  EXPECT_EQ(ShiftState(Qt::AltModifier), 4);
  EXPECT_EQ(ShiftState(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
  // Neither the Windows key nor the keypad flag is a shift state.
  EXPECT_EQ(ShiftState(Qt::MetaModifier | Qt::KeypadModifier), 0);
}

}  // namespace
}  // namespace hueclip::qt
