#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "platform/win32/desktop_duplication.h"
#include "platform/win32/hdr_displays.h"
#include "platform/win32/scrgb.h"

// The HDR reading's decisions that need no Windows, every case of them: the conversions, which
// monitor shows HDR, and where a turned desktop's pixel lies in its image. When duplications are
// opened, kept and given up, and what each pass reads, is checked through the program's own DXGI
// code under Wine (tests/windows/duplication_test.cpp).
namespace hueclip::win32 {
namespace {

// Values worked out from the sRGB curve: 0.2158605 is sRGB 128 decoded, 0.5 encodes to 187.5.
TEST(Win32ScRgb, ConvertsAChannelAtItsWhiteLevel) {
  const struct {
    float value;
    double nits;
    int srgb;
  } cases[] = {{1.0f, 80, 255}, {2.5f, 200, 255},  {0.5396513f, 200, 128}, {0.2158605f, 80, 128},
               {0.5f, 80, 188}, {1.25f, 200, 188}, {1.0f, 200, 170},       {-0.25f, 80, 0},
               {0.0f, 200, 0},  {3.0f, 200, 255},  {0.0005f, 80, 2},       {INFINITY, 80, 255},
               {NAN, 80, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(ScRgbToSrgb8(c.value, c.nits), c.srgb) << c.value << " at " << c.nits << " nits";
}

TEST(Win32ScRgb, ReadsHalfFloatsAndWhiteLevels) {
  const struct {
    std::uint16_t half;
    float value;
  } halves[] = {{0x3C00, 1.0f},          {0x4100, 2.5f},     {0xC000, -2.0f},
                {0x0000, 0.0f},          {0x0001, 0x1p-24f}, {0x03FF, 1023 * 0x1p-24f},
                {0x8001, -0x1p-24f},     {0x0400, 0x1p-14f}, {0x7BFF, 65504.0f},
                {0x32E8, 0.2158203125f}, {0x7C00, INFINITY}};
  for (const auto& h : halves) EXPECT_EQ(HalfToFloat(h.half), h.value) << std::hex << h.half;
  EXPECT_TRUE(std::isnan(HalfToFloat(0x7E00)));
  EXPECT_EQ(SdrWhiteNits(1000), 80);
  EXPECT_EQ(SdrWhiteNits(2500), 200);
  EXPECT_EQ(SdrWhiteNits(3000), 240);
}

TEST(Win32ScRgb, GivesAPixelAsBgr) {
  const std::uint16_t rgba[] = {0x3C00, 0x0000, 0x32E8, 0x3C00};  // 1.0, 0, 0.2158, alpha 1
  EXPECT_EQ(ScRgbPixel(rgba, 80), 0x8000FF);
  EXPECT_EQ(ScRgbPixel(rgba, 200), 0x5300AA);
  const std::uint8_t bgra[] = {0x30, 0x20, 0x10, 0xFF};
  EXPECT_EQ(Bgra8Pixel(bgra), 0x302010);
  EXPECT_EQ(UnclipGdiPixel(0xFF7999, 200), 0xFF4E64);  // red 153, green 121, blue at the clip
}

// The nearest half to a positive value (ties away from zero): 11 significant bits, subnormals
// below 2^-14.
std::uint16_t ToHalf(double value) {
  if (value == 0) return 0;
  int exponent;
  std::frexp(value, &exponent);
  exponent = std::max(exponent, -13);
  return static_cast<std::uint16_t>(((exponent + 14) << 10) +
                                    std::lround(std::ldexp(value, 11 - exponent)) - 1024);
}

// An 8-bit value as the desktop composes it at a white level: linear light, 1.0 = 80 nits.
double Composed(int v, double nits) {
  const double c = v / 255.0;
  return (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4)) * nits / 80;
}

// Every 8-bit value, drawn by the desktop at a white level and stored as a half, reads back as
// itself.
TEST(Win32ScRgb, ReadsEvery8BitValueBackThroughAHalf) {
  for (double nits : {80.0, 200.0, 240.0, 480.0}) {
    for (int v = 0; v < 256; ++v) {
      const std::uint16_t half = ToHalf(Composed(v, nits));
      EXPECT_EQ(ScRgbToSrgb8(HalfToFloat(half), nits), v) << nits << " nits, half " << half;
    }
  }
}

// GDI's copies worked out by hand, then every value whose copy lies below the clip (the copy
// made as the desktop makes it: clipped at 1.0, sRGB-encoded) at each white level.
TEST(Win32ScRgb, GivesBackEveryGdiCopyBelowTheClip) {
  const struct {
    double nits;
    int copied, drawn;
  } cases[] = {{200, 153, 100}, {480, 121, 50}, {240, 109, 64},  {120, 154, 128},
               {300, 166, 90},  {80, 200, 200}, {480, 255, 255}, {480, 0, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(UnclipGdi8(static_cast<std::uint8_t>(c.copied), c.nits), c.drawn) << c.nits;
  for (double nits : {80.0, 120.0, 200.0, 240.0, 300.0, 480.0}) {
    for (int v = 0; v < 256; ++v) {
      const double copy = Composed(v, nits), encoded = 1.055 * std::pow(copy, 1 / 2.4) - 0.055;
      const long copied =
          copy >= 1 ? 255 : std::lround(255 * (copy <= 0.0031308 ? 12.92 * copy : encoded));
      if (copied == 255) continue;
      EXPECT_EQ(UnclipGdi8(static_cast<std::uint8_t>(copied), nits), v) << nits << " nits";
    }
  }
}

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
