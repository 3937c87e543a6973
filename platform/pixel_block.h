#pragma once

#include <array>
#include <cstdint>

#include "platform/pixel_rect.h"
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

  // The part of the block at (left, top) that lies in `area` (a screen, a monitor, a window), in
  // the same coordinates: a grab asks for that much, as reads beyond the edge fail or wrap. Its
  // cells start at column clip.left - left and row clip.top - top of the block. Empty where no
  // pixel of the block lies in `area`.
  static PixelRect ClipBlock(std::int32_t left, std::int32_t top, const PixelRect& area) {
    return Intersect({left, top, kSize, kSize}, area);
  }

 protected:
  // Fills `out` row by row with the kSize x kSize pixels from (left, top): 0x00BBGGRR, or
  // negative where a pixel cannot be read. Must never fail outright.
  virtual void Grab(std::int32_t left, std::int32_t top,
                    std::array<std::int32_t, kSize * kSize>& out) = 0;
  // Holds `pixels`, grabbed at (left, top) by the provider, for the reads that follow.
  void Hold(std::int32_t left, std::int32_t top,
            const std::array<std::int32_t, kSize * kSize>& pixels);

 private:
  bool grabbed_ = false;
  std::int32_t left_ = 0, top_ = 0;
  std::array<std::int32_t, kSize * kSize> pixels_{};
};

}  // namespace hueclip
