#include "picker_window.h"

#include <cstdio>

namespace acceptance {

std::vector<int> BlockAround(int x, int y, const std::function<int(int, int)>& screen_at) {
  std::vector<int> block;
  for (int i = 0; i < 25; ++i) block.push_back(screen_at(x + i % 5 - 2, y + i / 5 - 2));
  return block;
}

std::string Hex(int c) {
  char s[16];
  snprintf(s, sizeof s, "#%06X", c);
  return c < 0 ? "(several colours)" : s;
}

int Cell(const Image& img, int i, bool border) {
  if (img.w < kColLeft[4] + 16 || img.h < kRowTop[4] + 16) return -1;
  int colour = -2;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if ((x == 0 || y == 0 || x == 15 || y == 15) != border) continue;
      int c = img.At(kColLeft[i % 5] + x, kRowTop[i / 5] + y);
      if (colour != -2 && c != colour) return -1;
      colour = c;
    }
  }
  return colour;
}

std::string BlockMismatch(const Image& img, const std::vector<int>& block) {
  std::string diff;
  int differ = 0;
  for (size_t i = 0; i < 25; ++i) {
    int got = Cell(img, static_cast<int>(i), false);
    if (got == block[i] || ++differ > 3) continue;
    diff += " cell " + std::to_string(i) + " shows " + Hex(got) + ", not " + Hex(block[i]) + ";";
  }
  return differ ? diff + " " + std::to_string(differ) + " of 25 cells differ" : "";
}

std::vector<std::string> ReadoutsFor(int x, int y, int c) {
  int r = c >> 16, g = c >> 8 & 255, b = c & 255;
  return {std::to_string(x) + ", " + std::to_string(y), Hex(c),
          std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b),
          std::to_string(r + g * 256 + b * 65536)};
}

std::string CopyAll(const std::vector<std::string>& r) {
  return "Pos: " + r[0] + "\nHex: " + r[1] + "\nRGB: " + r[2] + "\nLong: " + r[3];
}

}  // namespace acceptance
