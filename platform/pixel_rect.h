#pragma once

#include <algorithm>
#include <cstdint>

namespace hueclip {

// A rectangle of pixels: its top-left corner and its size. A control in its window, a monitor
// on the desktop, the part of a sampling block that lies on a screen. The far edges are
// computed in 64 bits, so that a rectangle at the end of the coordinate range does not wrap
// round.
struct PixelRect {
  std::int32_t left = 0, top = 0, width = 0, height = 0;

  std::int64_t Right() const { return std::int64_t{left} + width; }   // exclusive
  std::int64_t Bottom() const { return std::int64_t{top} + height; }  // exclusive
  bool Empty() const { return width <= 0 || height <= 0; }
  bool Contains(std::int64_t x, std::int64_t y) const {
    return x >= left && y >= top && x < Right() && y < Bottom();
  }
  bool operator==(const PixelRect&) const = default;
};

// The part of `a` that lies in `b` as well; all zero when there is none.
inline PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
  const std::int32_t left = std::max(a.left, b.left), top = std::max(a.top, b.top);
  const std::int64_t right = std::min(a.Right(), b.Right());
  const std::int64_t bottom = std::min(a.Bottom(), b.Bottom());
  if (a.Empty() || b.Empty() || right <= left || bottom <= top) return {};
  return {left, top, static_cast<std::int32_t>(right - left),
          static_cast<std::int32_t>(bottom - top)};
}

}  // namespace hueclip
