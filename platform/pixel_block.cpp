#include "platform/pixel_block.h"

namespace hueclip {

std::int32_t PixelBlockContext::GetPixel(std::int32_t x, std::int32_t y) {
  // 64-bit differences: x - left_ must not overflow for points far apart.
  const long long dx = static_cast<long long>(x) - left_;
  const long long dy = static_cast<long long>(y) - top_;
  if (!grabbed_ || dx < 0 || dy < 0 || dx >= kSize || dy >= kSize) {
    Grab(x, y, pixels_);
    grabbed_ = true;
    left_ = x;
    top_ = y;
    return pixels_[0];
  }
  return pixels_[static_cast<std::size_t>(dy * kSize + dx)];
}

void PixelBlockContext::Hold(std::int32_t left, std::int32_t top,
                             const std::array<std::int32_t, kSize * kSize>& pixels) {
  grabbed_ = true;
  left_ = left;
  top_ = top;
  pixels_ = pixels;
}

}  // namespace hueclip
