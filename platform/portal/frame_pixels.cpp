#include "platform/portal/frame_pixels.h"

#include <algorithm>
#include <cstring>

namespace hueclip::portal {

constexpr std::size_t kBytesPerPixel = 4;

std::int32_t FrameView::PixelAt(std::int64_t x, std::int64_t y) const {
  if (Empty() || x < 0 || y < 0 || x >= width || y >= height) return -1;
  const std::uint8_t* p =
      data + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * kBytesPerPixel;
  const std::int32_t first = p[0], second = p[1], third = p[2];
  // 0x00BBGGRR: red in the low byte.
  return order == PixelOrder::kBgrx ? (third | second << 8 | first << 16)
                                    : (first | second << 8 | third << 16);
}

FrameView MakeFrameView(const void* base, std::size_t capacity, std::size_t offset,
                        std::size_t size, std::int64_t stride, int width, int height,
                        PixelOrder order) {
  FrameView view;
  if (base == nullptr || width <= 0 || height <= 0 || offset > capacity) return view;
  const std::size_t row = static_cast<std::size_t>(width) * kBytesPerPixel;
  if (stride == 0) stride = static_cast<std::int64_t>(row);
  if (stride < 0 || static_cast<std::size_t>(stride) < row) return view;
  size = std::min(size, capacity - offset);
  if (size < row) return view;
  // The last row needs only its pixels, not a whole stride.
  const std::size_t rows = (size - row) / static_cast<std::size_t>(stride) + 1;
  view.data = static_cast<const std::uint8_t*>(base) + offset;
  view.width = width;
  view.height = static_cast<int>(std::min(rows, static_cast<std::size_t>(height)));
  view.stride = static_cast<std::size_t>(stride);
  view.order = order;
  return view;
}

FrameView CopyFrame(const FrameView& frame, std::vector<std::uint8_t>& storage) {
  if (frame.Empty()) return {};
  const std::size_t row = static_cast<std::size_t>(frame.width) * kBytesPerPixel;
  storage.resize(row * static_cast<std::size_t>(frame.height));
  for (int y = 0; y < frame.height; ++y)
    std::memcpy(storage.data() + static_cast<std::size_t>(y) * row,
                frame.data + static_cast<std::size_t>(y) * frame.stride, row);
  FrameView copy = frame;
  copy.data = storage.data();
  copy.stride = row;
  return copy;
}

}  // namespace hueclip::portal
