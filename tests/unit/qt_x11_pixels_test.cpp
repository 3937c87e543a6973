#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "platform/qt/x11_pixels.h"

namespace hueclip::qt {
namespace {

constexpr ChannelMasks kRgb888{0xFF0000, 0x00FF00, 0x0000FF};

TEST(QtX11Pixels, TrueColourPixelBecomesRedInTheLowByte) {
  EXPECT_EQ(ColourFromPixel(0xFF0000, kRgb888), 0x0000FF);  // red
  EXPECT_EQ(ColourFromPixel(0x00FF00, kRgb888), 0x00FF00);  // green
  EXPECT_EQ(ColourFromPixel(0x0000FF, kRgb888), 0xFF0000);  // blue
  EXPECT_EQ(ColourFromPixel(0x123456, kRgb888), 0x563412);
  // Bits above the masks (an alpha byte, padding) are not part of the colour.
  EXPECT_EQ(ColourFromPixel(0xFF123456, kRgb888), 0x563412);
}

TEST(QtX11Pixels, ChannelOrderFollowsTheMasks) {
  const ChannelMasks bgr{0x0000FF, 0x00FF00, 0xFF0000};
  EXPECT_EQ(ColourFromPixel(0x0000FF, bgr), 0x0000FF);  // red
  EXPECT_EQ(ColourFromPixel(0x123456, bgr), 0x123456);
}

TEST(QtX11Pixels, NarrowChannelsScaleToFullRange) {
  const ChannelMasks rgb565{0xF800, 0x07E0, 0x001F};
  EXPECT_EQ(ColourFromPixel(0xFFFF, rgb565), 0xFFFFFF);
  EXPECT_EQ(ColourFromPixel(0xF800, rgb565), 0x0000FF);
  EXPECT_EQ(ColourFromPixel(0x07E0, rgb565), 0x00FF00);
  EXPECT_EQ(ColourFromPixel(0x001F, rgb565), 0xFF0000);
  EXPECT_EQ(ColourFromPixel(0x0000, rgb565), 0x000000);
  // Half of a 5-bit channel, 16 of 31, is 132 of 255.
  EXPECT_EQ(ColourFromPixel(0x8000, rgb565), 132);
}

TEST(QtX11Pixels, WideChannelsScaleDown) {
  const ChannelMasks rgb101010{0x3FF00000, 0x000FFC00, 0x000003FF};
  EXPECT_EQ(ColourFromPixel(0x3FFFFFFF, rgb101010), 0xFFFFFF);
  EXPECT_EQ(ColourFromPixel(0x3FF00000, rgb101010), 0x0000FF);
  EXPECT_EQ(ColourFromPixel(0x00000200, rgb101010), 0x800000);  // 512 of 1023
}

TEST(QtX11Pixels, ColourMapEntriesKeepTheirHighByte) {
  EXPECT_EQ(ColourFromRgb16(0xFFFF, 0x8080, 0x0000), 0x0080FF);
  EXPECT_EQ(ColourFromRgb16(0x12FF, 0x3400, 0x56AB), 0x563412);
}

TEST(QtX11Pixels, BlockInsideTheScreenIsWhole) {
  const BlockClip c = ClipBlock(100, 200, 5, 1024, 768);
  EXPECT_FALSE(c.Empty());
  EXPECT_EQ(c.left, 100);
  EXPECT_EQ(c.top, 200);
  EXPECT_EQ(c.width, 5);
  EXPECT_EQ(c.height, 5);
  EXPECT_EQ(c.column, 0);
  EXPECT_EQ(c.row, 0);
}

TEST(QtX11Pixels, BlockOverTheTopLeftCornerKeepsOnlyTheScreenPart) {
  // The cursor on (0, 0): the block starts at (-2, -2).
  const BlockClip c = ClipBlock(-2, -2, 5, 1024, 768);
  EXPECT_EQ(c.left, 0);
  EXPECT_EQ(c.top, 0);
  EXPECT_EQ(c.width, 3);
  EXPECT_EQ(c.height, 3);
  EXPECT_EQ(c.column, 2);
  EXPECT_EQ(c.row, 2);
}

TEST(QtX11Pixels, BlockOverTheBottomRightCornerKeepsOnlyTheScreenPart) {
  // The cursor on (1023, 767): the block starts at (1021, 765).
  const BlockClip c = ClipBlock(1021, 765, 5, 1024, 768);
  EXPECT_EQ(c.left, 1021);
  EXPECT_EQ(c.top, 765);
  EXPECT_EQ(c.width, 3);
  EXPECT_EQ(c.height, 3);
  EXPECT_EQ(c.column, 0);
  EXPECT_EQ(c.row, 0);
}

TEST(QtX11Pixels, BlockOffTheScreenIsEmpty) {
  EXPECT_TRUE(ClipBlock(-5, 0, 5, 1024, 768).Empty());
  EXPECT_TRUE(ClipBlock(0, -5, 5, 1024, 768).Empty());
  EXPECT_TRUE(ClipBlock(1024, 0, 5, 1024, 768).Empty());
  EXPECT_TRUE(ClipBlock(0, 768, 5, 1024, 768).Empty());
  EXPECT_TRUE(ClipBlock(0, 0, 5, 0, 0).Empty());
  // One column inside.
  EXPECT_EQ(ClipBlock(-4, 0, 5, 1024, 768).width, 1);
  EXPECT_EQ(ClipBlock(1023, 0, 5, 1024, 768).width, 1);
}

TEST(QtX11Pixels, BlockAtTheEndOfTheCoordinateRangeDoesNotWrap) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  EXPECT_TRUE(ClipBlock(kMax - 1, 0, 5, 1024, 768).Empty());
  EXPECT_TRUE(ClipBlock(0, kMax - 1, 5, 1024, 768).Empty());
  EXPECT_TRUE(ClipBlock(kMin, kMin, 5, 1024, 768).Empty());
}

}  // namespace
}  // namespace hueclip::qt
