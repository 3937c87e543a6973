#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/pixel_block.h"
#include "platform/services.h"
#include "platform/win32/display_config.h"
#include "platform/win32/hdr_desktop.h"
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

// The system calls of a sampling pass that fail while another desktop has the input (the lock
// screen, a UAC prompt, a disconnected Remote Desktop session). The system's are the real
// thing; tests put in a fake that refuses them.
class ScreenApi {
 public:
  virtual ~ScreenApi() = default;
  virtual bool GetCursorPos(POINT& p) = 0;
  // BitBlt with SRCCOPY.
  virtual bool Copy(HDC to, int x, int y, int width, int height, HDC from, int fromX,
                    int fromY) = 0;

  static ScreenApi& System();
};

// The whole screen for one sampling pass: GetWindowDC(NULL) from construction to destruction.
// Reads answer what GetPixel on that DC answers, 0x00BBGGRR, or -1 for a point outside the
// virtual screen or off every monitor; except on monitors that show HDR, where the desktop's
// own pixels are read instead (HdrDesktop).
class ScreenContext final : public PixelBlockContext {
 public:
  ScreenContext(BlockBuffer& buffer, ScreenApi& api, HdrDesktop& hdr, Point cursor);
  ~ScreenContext() override;
  ScreenContext(const ScreenContext&) = delete;
  ScreenContext& operator=(const ScreenContext&) = delete;

  HDC dc() const { return dc_; }
  // Whether a block read failed: the screen could not be read, and the block reads as -1.
  bool failed() const { return failed_; }

 protected:
  void Grab(std::int32_t left, std::int32_t top,
            std::array<std::int32_t, kSize * kSize>& out) override;

 private:
  BlockBuffer* buffer_;
  ScreenApi* api_;
  HdrDesktop* hdr_;
  HDC dc_;
  bool failed_ = false;
};

class Screen final : public hueclip::Screen {
 public:
  explicit Screen(ScreenApi& api = ScreenApi::System(), HdrDisplays& displays = SystemDisplays())
      : api_(&api), hdr_(displays) {}

  // Finds the cursor and copies the block around it at once; null when either fails, so that
  // the pass leaves the window as it was.
  std::unique_ptr<hueclip::ScreenContext> GetWindowDC() override;

  // The displays or their settings changed (WM_DISPLAYCHANGE, WM_SETTINGCHANGE): which monitors
  // show HDR, and their SDR white levels, are asked again by the next pass.
  void DisplaysChanged() { hdr_.DisplaysChanged(); }

 private:
  ScreenApi* api_;
  HdrDesktop hdr_;
  std::optional<BlockBuffer> buffer_;  // made again by a pass while it could not be made
};

}  // namespace hueclip::win32
