#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace hueclip::portal {

// The byte order of a 4-byte frame pixel in memory. The fourth byte, padding or alpha, is not
// read: a monitor's picture is opaque.
enum class PixelOrder { kBgrx, kRgbx };

// One frame of a monitor stream as it lies in memory: rows of 4-byte pixels, `stride` bytes
// apart. It is a view, of a buffer the compositor lent or of the copy a stream keeps (CopyFrame).
struct FrameView {
  const std::uint8_t* data = nullptr;
  int width = 0, height = 0;
  std::size_t stride = 0;
  PixelOrder order = PixelOrder::kBgrx;

  bool Empty() const { return data == nullptr || width <= 0 || height <= 0; }
  // The pixel at (x, y) of the frame as 0x00BBGGRR, or -1 outside it.
  std::int32_t PixelAt(std::int64_t x, std::int64_t y) const;
};

// A view of the `size` bytes from `offset` in a buffer of `capacity` bytes at `base`, holding
// a width x height frame whose rows are `stride` bytes apart (0: packed rows). Only the rows
// that really lie in those bytes are in the view, so a short or damaged buffer is never read
// beyond its end; a stride too small for a row gives an empty view.
FrameView MakeFrameView(const void* base, std::size_t capacity, std::size_t offset,
                        std::size_t size, std::int64_t stride, int width, int height,
                        PixelOrder order);

// Copies the pixels of `frame` into `storage`, rows packed, and returns the view of the copy.
FrameView CopyFrame(const FrameView& frame, std::vector<std::uint8_t>& storage);

}  // namespace hueclip::portal
