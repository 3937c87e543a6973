#pragma once

#include <cstdint>

#include "platform/services.h"

namespace hueclip::bench {

// What a sampling pass asks of a screen provider: the context, the cursor, the 25 reads around
// it, the context given back. Returns a sum of the reads so that nothing is optimised away.
inline std::int32_t OnePass(Screen& screen) {
  std::int32_t sum = 0;
  auto context = screen.GetWindowDC();
  const Point p = context->GetCursorPos();
  for (int i = 0; i < 25; ++i) sum += context->GetPixel(p.x + i % 5 - 2, p.y + i / 5 - 2);
  return sum;
}

}  // namespace hueclip::bench
