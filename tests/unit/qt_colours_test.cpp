#include <gtest/gtest.h>

#include "platform/qt/qt_colours.h"

namespace hueclip::qt {
namespace {

// A palette in which every role that a system colour may stand for has a colour of its own.
QPalette DistinctPalette() {
  QPalette p;
  p.setColor(QPalette::Base, QColor(1, 2, 3));
  p.setColor(QPalette::Text, QColor(4, 5, 6));
  p.setColor(QPalette::Button, QColor(7, 8, 9));
  p.setColor(QPalette::ButtonText, QColor(10, 11, 12));
  p.setColor(QPalette::Window, QColor(13, 14, 15));
  p.setColor(QPalette::WindowText, QColor(16, 17, 18));
  p.setColor(QPalette::Highlight, QColor(19, 20, 21));
  p.setColor(QPalette::HighlightedText, QColor(22, 23, 24));
  return p;
}

TEST(QtColours, PackedColoursHaveRedInTheLowByte) {
  const QPalette p = DistinctPalette();
  EXPECT_EQ(Resolve(0x0000FF, p), QColor(255, 0, 0));
  EXPECT_EQ(Resolve(0x00FF00, p), QColor(0, 255, 0));
  EXPECT_EQ(Resolve(0xFF0000, p), QColor(0, 0, 255));    // the link's blue
  EXPECT_EQ(Resolve(0xFF00FF, p), QColor(255, 0, 255));  // the selection's magenta
  EXPECT_EQ(Resolve(0x563412, p), QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(Resolve(0, p), QColor(0, 0, 0));
}

TEST(QtColours, SystemColoursComeFromThePalette) {
  const QPalette p = DistinctPalette();
  EXPECT_EQ(Resolve(kSysWindowBackground, p), QColor(1, 2, 3));
  EXPECT_EQ(Resolve(kSysWindowText, p), QColor(4, 5, 6));
  EXPECT_EQ(Resolve(kSysButtonFace, p), QColor(7, 8, 9));
  EXPECT_EQ(Resolve(kSysButtonText, p), QColor(10, 11, 12));
  EXPECT_EQ(Resolve(SystemColour(13), p), QColor(19, 20, 21));  // highlight
  EXPECT_EQ(Resolve(SystemColour(14), p), QColor(22, 23, 24));  // highlight text
}

TEST(QtColours, ResolvingFollowsThePaletteOfTheMoment) {
  QPalette p = DistinctPalette();
  p.setColor(QPalette::Base, QColor(200, 100, 50));
  EXPECT_EQ(Resolve(kSysWindowBackground, p), QColor(200, 100, 50));
}

}  // namespace
}  // namespace hueclip::qt
