#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/pixel_block.h"
#include "platform/services.h"
#include "platform/win32/win32.h"

namespace hueclip::win32 {

// A 5 x 5, 32 bits per pixel, top-down DIB section selected into a memory DC: where a sampling
// pass copies its block of the screen with one BitBlt. Made once and reused by every pass.
class BlockBuffer {
 public:
  BlockBuffer();
  ~BlockBuffer();
  BlockBuffer(const BlockBuffer&) = delete;
  BlockBuffer& operator=(const BlockBuffer&) = delete;

  HDC dc() const { return dc_; }
  // The pixels as the DIB holds them, 0x00RRGGBB, row by row; valid after GdiFlush.
  const std::uint32_t* bits() const { return bits_; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

// The whole screen for one sampling pass: GetWindowDC(NULL) from construction to destruction.
// Reads answer what GetPixel on that DC answers: 0x00BBGGRR, or -1 for a point outside the
// virtual screen or off every monitor.
class ScreenContext final : public PixelBlockContext {
 public:
  explicit ScreenContext(BlockBuffer& buffer);
  ~ScreenContext() override;
  ScreenContext(const ScreenContext&) = delete;
  ScreenContext& operator=(const ScreenContext&) = delete;

  HDC dc() const { return dc_; }

 protected:
  void Grab(std::int32_t left, std::int32_t top,
            std::array<std::int32_t, kSize * kSize>& out) override;

 private:
  BlockBuffer* buffer_;
  HDC dc_;
};

class Screen final : public hueclip::Screen {
 public:
  Point GetCursorPos() override;
  std::unique_ptr<hueclip::ScreenContext> GetWindowDC() override;

 private:
  BlockBuffer buffer_;
};

}  // namespace hueclip::win32
