#include "platform/win32/hdr_displays.h"

#include "platform/win32/scrgb.h"

namespace hueclip::win32 {

double HdrWhiteNits(const PathColour& colour) {
  const bool hdr = colour.mode == PathColour::Mode::kUnknown
                       ? colour.advancedColourEnabled && !colour.wideColourEnforced
                       : colour.mode == PathColour::Mode::kHdr;
  return hdr && colour.sdrWhiteLevel > 0 ? SdrWhiteNits(colour.sdrWhiteLevel) : 0;
}

}  // namespace hueclip::win32
