#include <gtest/gtest.h>

#include "platform/qt/qt_colours.h"

namespace hueclip::qt {
namespace {

// Packed colours are checked end to end by the acceptance suite, which reads the cells.
TEST(QtColours, SystemColoursFollowThePaletteOfTheMoment) {
  QPalette p;
  p.setColor(QPalette::Base, QColor(200, 100, 50));
  EXPECT_EQ(Resolve(kSysWindowBackground, p), QColor(200, 100, 50));
  p.setColor(QPalette::Base, QColor(1, 2, 3));
  EXPECT_EQ(Resolve(kSysWindowBackground, p), QColor(1, 2, 3));
}

}  // namespace
}  // namespace hueclip::qt
