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

struct BlockClip {
  int left, top;      // on the screen
  int width, height;  // 0 when no pixel of the block lies on the screen
  int column, row;    // where the clipped part starts within the block
  bool Empty() const { return width <= 0 || height <= 0; }
};

// The part of the size x size block at (left, top) that lies on a screen of the given size.
BlockClip ClipBlock(std::int32_t left, std::int32_t top, int size, int screenWidth,
                    int screenHeight);

}  // namespace hueclip::x11
