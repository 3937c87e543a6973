#include "platform/x11/pixels.h"

#include <algorithm>
#include <bit>

namespace hueclip::x11 {
namespace {

// The channel under `mask`, scaled from however many bits it has to 0..255.
int Channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  const unsigned long value = (pixel & mask) >> std::countr_zero(mask);
  const unsigned long max = mask >> std::countr_zero(mask);
  return static_cast<int>((value * 255 + max / 2) / max);
}

}  // namespace

Colour ColourFromPixel(unsigned long pixel, const ChannelMasks& masks) {
  return PackRgb(Channel(pixel, masks.red), Channel(pixel, masks.green),
                 Channel(pixel, masks.blue));
}

Colour ColourFromRgb16(unsigned short red, unsigned short green, unsigned short blue) {
  return PackRgb(red >> 8, green >> 8, blue >> 8);
}

BlockClip ClipBlock(std::int32_t left, std::int32_t top, int size, int screenWidth,
                    int screenHeight) {
  // 64-bit edges: a block near the end of the 32-bit range must not wrap round.
  const long long x0 = std::max<long long>(left, 0);
  const long long y0 = std::max<long long>(top, 0);
  const long long x1 = std::min<long long>(static_cast<long long>(left) + size, screenWidth);
  const long long y1 = std::min<long long>(static_cast<long long>(top) + size, screenHeight);
  if (x1 <= x0 || y1 <= y0) return {0, 0, 0, 0, 0, 0};
  return {static_cast<int>(x0),      static_cast<int>(y0),        static_cast<int>(x1 - x0),
          static_cast<int>(y1 - y0), static_cast<int>(x0 - left), static_cast<int>(y0 - top)};
}

}  // namespace hueclip::x11
