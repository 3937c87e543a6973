// What the program's main window shows, as both acceptance suites (X11 and Wayland) read it from
// a screenshot of its client area, and what its readouts and C put on the clipboard.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "x_driver.h"  // Image

namespace acceptance {

constexpr int kMagenta = 0xFF00FF, kBlack = 0;
// Cells (left and top of each column and row, 16 x 16 with the border) and the value labels'
// tops (lblPos, lblHex, lblRGB, lblLong; x 33, 79 x 16) in the client area.
constexpr int kColLeft[5] = {13, 32, 51, 70, 89};
constexpr int kRowTop[5] = {5, 23, 42, 60, 79};
constexpr int kLabelTop[4] = {102, 123, 144, 165};

// The 25 pixels around (x, y), row by row, of a screen whose pixels screen_at gives.
std::vector<int> BlockAround(int x, int y, const std::function<int(int, int)>& screen_at);
std::string Hex(int c);
// The one colour of cell i's border (or of its 14 x 14 interior), -1 when it has several.
int Cell(const Image& img, int i, bool border);
// Empty when the cells show block; else the first differences and how many cells differ.
std::string BlockMismatch(const Image& img, const std::vector<int>& block);
// Pos, Hex, RGB and Long for the colour c with the pointer at (x, y).
std::vector<std::string> ReadoutsFor(int x, int y, int c);
// What C copies for the readouts r, as the desktop's clipboard hands it out: four lines with LF
// between them.
std::string CopyAll(const std::vector<std::string>& r);

}  // namespace acceptance
