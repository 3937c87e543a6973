#pragma once

#include <array>
#include <cstdint>

#include "platform/services.h"

namespace hueclip {

// A screen context that grabs a small block of pixels on the first read outside the block it
// holds, anchored at that read, and answers the reads inside it from memory. A sampling pass
// reads its 5 x 5 block starting at the top-left corner, so the pass costs one grab.
class PixelBlockContext : public ScreenContext {
 public:
  static constexpr int kSize = 5;

  using ScreenContext::ScreenContext;
  std::int32_t GetPixel(std::int32_t x, std::int32_t y) final;

 protected:
  // Fills `out` row by row with the kSize x kSize pixels from (left, top): 0x00BBGGRR, or
  // negative where a pixel cannot be read. Must never fail outright.
  virtual void Grab(std::int32_t left, std::int32_t top,
                    std::array<std::int32_t, kSize * kSize>& out) = 0;

 private:
  bool grabbed_ = false;
  std::int32_t left_ = 0, top_ = 0;
  std::array<std::int32_t, kSize * kSize> pixels_{};
};

}  // namespace hueclip
