#pragma once

#include "platform/pixel_rect.h"
#include "platform/window_desc.h"

namespace hueclip {

// Twips are 1/1440 inch: 15 to a pixel at 96 dpi, 10 at 144 dpi, 7.5 at 192 dpi. Rounds to the
// nearest pixel, halves upward, so that a whole-pixel figure is exact at any of those DPIs.
int TwipsToPixels(int twips, int dpi);

// Converts the edges rather than the size, so neighbouring controls keep their gaps consistent
// at DPIs where a twips figure falls between pixels.
PixelRect TwipsToPixels(const TwipsRect& rect, int dpi);

}  // namespace hueclip
