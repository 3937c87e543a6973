#include <gtest/gtest.h>

#include <cstdint>

#include "platform/qt/colours.h"
#include "platform/x11/pixels.h"

namespace hueclip {
namespace {

using namespace x11;

// 24-bit true colour is checked end to end by the acceptance suite; the other visuals are not.
TEST(X11Pixels, PixelsBecomeRedInTheLowByteWhateverTheVisual) {
  const ChannelMasks rgb888{0xFF0000, 0x00FF00, 0x0000FF};
  const ChannelMasks bgr888{0x0000FF, 0x00FF00, 0xFF0000};
  const ChannelMasks rgb565{0xF800, 0x07E0, 0x001F};
  const ChannelMasks rgb101010{0x3FF00000, 0x000FFC00, 0x000003FF};
  const struct {
    std::uint32_t pixel;
    ChannelMasks masks;
    Colour want;
  } cases[] = {
      {0xFF123456, rgb888, 0x563412},  // bits above the masks (alpha, padding) are dropped
      {0x123456, bgr888, 0x123456},      {0xFFFF, rgb565, 0xFFFFFF},
      {0x001F, rgb565, 0xFF0000},        {0x8000, rgb565, 132},  // 16 of 31 is 132 of 255
      {0x3FF00000, rgb101010, 0x0000FF}, {0x00000200, rgb101010, 0x800000},  // 512 of 1023
  };
  for (const auto& c : cases) EXPECT_EQ(ColourFromPixel(c.pixel, c.masks), c.want) << c.pixel;
  EXPECT_EQ(ColourFromRgb16(0x12FF, 0x3400, 0x56AB), 0x563412);  // colour-map entries
}

// Packed colours are checked end to end by the acceptance suite, which reads the cells.
TEST(QtColours, SystemColoursFollowThePaletteOfTheMoment) {
  QPalette p;
  p.setColor(QPalette::Base, QColor(200, 100, 50));
  EXPECT_EQ(qt::Resolve(kSysWindowBackground, p), QColor(200, 100, 50));
  p.setColor(QPalette::Base, QColor(1, 2, 3));
  EXPECT_EQ(qt::Resolve(kSysWindowBackground, p), QColor(1, 2, 3));
}

}  // namespace
}  // namespace hueclip
