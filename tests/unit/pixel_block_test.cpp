#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "platform/pixel_block.h"

namespace hueclip {
namespace {

// Blocks at a screen's corners are read end to end by the acceptance suites; the ends of the
// coordinate range and areas away from the origin (a virtual screen left of the primary, a
// monitor) are not.
TEST(PixelBlock, BlocksAreClippedToTheAreaTheyAreReadFrom) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const PixelRect screen{0, 0, 1024, 768}, virtualScreen{-1920, -200, 3840, 1280};
  const struct {
    std::int32_t left, top;
    PixelRect area, want;
  } cases[] = {
      {10, 20, screen, {10, 20, 5, 5}},
      {-4, 0, screen, {0, 0, 1, 5}},  // one column on the screen: the block's last
      {1022, 766, screen, {1022, 766, 2, 2}},
      {-1922, -201, virtualScreen, {-1920, -200, 3, 4}},
      {1917, 1077, virtualScreen, {1917, 1077, 3, 3}},
      // Off the area, or at the ends of the coordinate range: nothing to read.
      {-5, 0, screen, {}},
      {0, 768, screen, {}},
      {1024, 0, screen, {}},
      {kMax - 1, 0, screen, {}},
      {kMin, kMin, screen, {}},
      {kMax - 1, kMax - 1, {kMax - 3, kMax - 3, 3, 3}, {kMax - 1, kMax - 1, 1, 1}},
  };
  for (const auto& c : cases) {
    const PixelRect got = PixelBlockContext::ClipBlock(c.left, c.top, c.area);
    EXPECT_TRUE(got == c.want) << c.left << "," << c.top << ": " << got.left << "," << got.top
                               << " " << got.width << "x" << got.height;
  }
}

}  // namespace
}  // namespace hueclip
