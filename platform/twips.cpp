#include "platform/twips.h"

namespace hueclip {

int TwipsToPixels(int twips, int dpi) {
  // Floor division of (twips * dpi + 720) by 1440, correct for negative positions too.
  const long long scaled = static_cast<long long>(twips) * dpi + 720;
  long long q = scaled / 1440;
  if (scaled % 1440 != 0 && scaled < 0) --q;
  return static_cast<int>(q);
}

PixelRect TwipsToPixels(const TwipsRect& rect, int dpi) {
  const int left = TwipsToPixels(rect.left, dpi);
  const int top = TwipsToPixels(rect.top, dpi);
  return {left, top, TwipsToPixels(rect.left + rect.width, dpi) - left,
          TwipsToPixels(rect.top + rect.height, dpi) - top};
}

}  // namespace hueclip
