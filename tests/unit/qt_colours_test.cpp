#include <gtest/gtest.h>

#include "platform/qt/qt_colours.h"

namespace hueclip::qt {
namespace {

TEST(QtColours, PackedColoursHaveRedInTheLowByte) {
  const QPalette p;
  EXPECT_EQ(Resolve(0x0000FF, p), QColor(255, 0, 0));
  EXPECT_EQ(Resolve(0xFF0000, p), QColor(0, 0, 255));  // the link's blue
  EXPECT_EQ(Resolve(0x563412, p), QColor(0x12, 0x34, 0x56));
}

TEST(QtColours, SystemColoursFollowThePaletteOfTheMoment) {
  QPalette p;
  p.setColor(QPalette::Base, QColor(200, 100, 50));
  EXPECT_EQ(Resolve(kSysWindowBackground, p), QColor(200, 100, 50));
  p.setColor(QPalette::Base, QColor(1, 2, 3));
  EXPECT_EQ(Resolve(kSysWindowBackground, p), QColor(1, 2, 3));
}

}  // namespace
}  // namespace hueclip::qt
