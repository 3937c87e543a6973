#include <gtest/gtest.h>

#include <string>

#include "core/readout.h"

namespace hueclip {
namespace {

struct ReadoutCase {
  Colour v;
  const char* hex;
  const char* rgb;
  const char* lng;
};

TEST(Readout, ColoursWithTheCursorAt640x480) {
  const ReadoutCase cases[] = {
      {0x000000FF, "#FF0000", "255 0 0", "255"},
      {0x0000FF00, "#00FF00", "0 255 0", "65280"},
      {0x00FF0000, "#0000FF", "0 0 255", "16711680"},
      {0x00FFFFFF, "#FFFFFF", "255 255 255", "16777215"},
      {0, "#000000", "0 0 0", "0"},
      {0x00563412, "#123456", "18 52 86", "5649426"},
      {0x000A0B0C, "#0C0B0A", "12 11 10", "658188"},
      // A cell never sampled holds the window-background reference.
      {kSysWindowBackground, "#050000", "5 0 0", "-2147483643"},
      {static_cast<Colour>(0xFFFFFFFF), "#FFFFFF", "255 255 255", "-1"},
  };
  for (const ReadoutCase& c : cases) {
    SCOPED_TRACE(c.v);
    const Readouts r = FormatReadouts({640, 480}, c.v);
    EXPECT_EQ(r.pos, "640, 480");
    EXPECT_EQ(r.hex, c.hex);
    EXPECT_EQ(r.rgb, c.rgb);
    EXPECT_EQ(r.lng, c.lng);
  }
}

TEST(Readout, PositionsWithSignsAndNoPadding) {
  EXPECT_EQ(FormatReadouts({0, 0}, 0).pos, "0, 0");
  EXPECT_EQ(FormatReadouts({-1920, -5}, 0).pos, "-1920, -5");
  EXPECT_EQ(FormatReadouts({2147483647, -2147483647 - 1}, 0).pos, "2147483647, -2147483648");
}

TEST(Readout, HexToValueReadsDigitPairsAndDropsOneHash) {
  std::string ff = "FF", hashed = "#1A", zeros = "00", empty, lone = "#", twice = "##1";
  EXPECT_EQ(HexToValue(ff), 255.0);
  EXPECT_EQ(HexToValue(hashed), 26.0);
  EXPECT_EQ(hashed, "1A");  // the caller's own text loses its "#"
  EXPECT_EQ(HexToValue(zeros), 0.0);
  EXPECT_EQ(HexToValue(empty), 0.0);
  EXPECT_EQ(HexToValue(lone), 0.0);
  EXPECT_EQ(lone, "");
  EXPECT_EQ(HexToValue(twice), 1.0);  // only the first "#" goes; the second counts 0
  EXPECT_EQ(twice, "#1");
  std::string wide = "7FFFFFFF";
  EXPECT_EQ(HexToValue(wide), 2147483647.0);
}

}  // namespace
}  // namespace hueclip
