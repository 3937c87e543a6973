#pragma once

#include <cstdint>

#include "platform/colour.h"

namespace hueclip::x11 {

// Where the red, green and blue bits of a pixel value lie, as the X visual describes them.
struct ChannelMasks {
  unsigned long red, green, blue;
};

// A true-colour pixel value as a packed colour 0x00BBGGRR, each channel scaled to 8 bits.
Colour ColourFromPixel(unsigned long pixel, const ChannelMasks& masks);

// A colour map entry (16 bits a channel) as a packed colour.
Colour ColourFromRgb16(unsigned short red, unsigned short green, unsigned short blue);

}  // namespace hueclip::x11
