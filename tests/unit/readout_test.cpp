#include <gtest/gtest.h>

#include <string>

#include "core/readout.h"

namespace hueclip {
namespace {

// Ordinary colours are checked end to end by the acceptance suites; these values are not on a
// screen there.
TEST(Readout, NegativePositionsAndLongs) {
  EXPECT_EQ(FormatReadouts({-1920, -5}, 0).pos, "-1920, -5");
  EXPECT_EQ(FormatReadouts({2147483647, -2147483647 - 1}, 0).pos, "2147483647, -2147483648");
  const Readouts all = FormatReadouts({0, 0}, static_cast<Colour>(0xFFFFFFFF));
  EXPECT_EQ(all.hex, "#FFFFFF");
  EXPECT_EQ(all.rgb, "255 255 255");
  EXPECT_EQ(all.lng, "-1");
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
