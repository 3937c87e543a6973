#include <gtest/gtest.h>

#include <iterator>

#include "platform/win32/desktop_duplication.h"
#include "platform/win32/hdr_displays.h"

// When the HDR monitors' duplications are opened, kept and given up, and what each pass reads, is
// checked through the program's own DXGI code under Wine (tests/windows/duplication_test.cpp);
// here, two of its decisions that need no Windows, every case of them.
namespace hueclip::win32 {
namespace {

// DisplayConfig's answers: the colour mode where Windows 11 24H2 and later tell it, the older
// answer before; a white level of 3000 is 240 nits.
TEST(Win32HdrDisplays, TakesOnlyAMonitorShowingHdrForOne) {
  using Mode = PathColour::Mode;
  const struct {
    PathColour colour;
    double nits;
  } cases[] = {
      {{Mode::kHdr, false, false, 3000}, 240},
      // An SDR monitor with automatic colour management: the older answer says enabled.
      {{Mode::kWideColour, true, false, 3000}, 0},
      {{Mode::kSdr, true, false, 3000}, 0},
      {{Mode::kHdr, false, false, 0}, 0},  // no white level answered
      {{Mode::kUnknown, true, false, 3000}, 240},
      {{Mode::kUnknown, true, true, 3000}, 0},  // wide colour enforced
      {{Mode::kUnknown, false, false, 3000}, 0},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(HdrWhiteNits(cases[i].colour), cases[i].nits) << "case " << i;
}

// Where a turned desktop's pixels lie in its duplication's image, after the rotations of
// Microsoft's desktop duplication sample, on a desktop 4 wide and 3 high.
TEST(Win32HdrDesktop, FindsPixelsOfATurnedDesktopInItsImage) {
  const struct {
    Rotation rotation;
    Point desktop, image;
  } cases[] = {{Rotation::kNone, {3, 2}, {3, 2}}, {Rotation::k90, {0, 0}, {0, 3}},
               {Rotation::k90, {3, 0}, {0, 0}},   {Rotation::k90, {1, 2}, {2, 2}},
               {Rotation::k180, {0, 0}, {3, 2}},  {Rotation::k180, {1, 2}, {2, 0}},
               {Rotation::k270, {0, 0}, {2, 0}},  {Rotation::k270, {3, 2}, {0, 3}}};
  for (const auto& c : cases) {
    const Point p = ImagePoint(c.desktop, 4, 3, c.rotation);
    EXPECT_TRUE(p.x == c.image.x && p.y == c.image.y)
        << static_cast<int>(c.rotation) << ": " << c.desktop.x << "," << c.desktop.y;
  }
}

}  // namespace
}  // namespace hueclip::win32
