#include "platform/x11/pixels.h"

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

}  // namespace hueclip::x11
