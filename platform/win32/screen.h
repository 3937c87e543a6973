#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/pixel_block.h"
#include "platform/services.h"
#include "platform/win32/display_config.h"
#include "platform/win32/hdr_desktop.h"
#include "platform/win32/toolkit.h"
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
// own pixels are read instead, or GDI's un-clipped (HdrDesktop).
class ScreenContext final : public PixelBlockContext {
 public:
  ScreenContext(BlockBuffer& buffer, ScreenApi& api, HdrDesktop& hdr, Point cursor);
  ~ScreenContext() override;
  ScreenContext(const ScreenContext&) = delete;
  ScreenContext& operator=(const ScreenContext&) = delete;

  HDC dc() const { return dc_; }
  // Copies the block at (left, top) for the reads that follow. False when the screen cannot be
  // read now (another desktop has the input): then nothing is held.
  bool GrabBlock(std::int32_t left, std::int32_t top);

 protected:
  // A read beyond the block held: its block reads -1 where the screen cannot be read.
  void Grab(std::int32_t left, std::int32_t top,
            std::array<std::int32_t, kSize * kSize>& out) override;

 private:
  bool ReadBlock(std::int32_t left, std::int32_t top, std::array<std::int32_t, kSize * kSize>& out);

  BlockBuffer* buffer_;
  ScreenApi* api_;
  HdrDesktop* hdr_;
  HDC dc_;
};

class Screen final : public hueclip::Screen {
 public:
  explicit Screen(ScreenApi& api = ScreenApi::System(), HdrDisplays& displays = SystemDisplays())
      : api_(&api), hdr_(displays) {}
  ~Screen() override;
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  // Finds the cursor and copies the block around it at once; null when either fails, so that
  // the pass leaves the window as it was.
  std::unique_ptr<hueclip::ScreenContext> GetWindowDC() override;

  // What the toolkit heard (Toolkit::OnSystemChange), for the reading of HDR monitors.
  void Hear(SystemChange change);
  // Lets go of the duplications that no read has asked for a while. A timer of the screen's
  // calls it every second while any is held, passes or none (a frozen picker makes none).
  void ReleaseIdle();
  // Where the notice goes that a monitor cannot be read exactly (HdrDesktop::TakeNotice): posted
  // by the pass that finds it, told from the event loop.
  void OnNotice(std::function<void(std::string_view)> tell) { tell_ = std::move(tell); }

 private:
  static constexpr UINT kIdleCheckMs = 1000;
  static constexpr UINT kNoticeMessage = WM_APP;

  // After each pass: the idle timer runs while a duplication is held, and a notice is posted.
  void AfterPass();
  // The message-only window of the idle timer and the notice, made when first needed.
  HWND Events();
  static LRESULT CALLBACK EventProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  ScreenApi* api_;
  HdrDesktop hdr_;
  std::optional<BlockBuffer> buffer_;  // made again by a pass while it could not be made
  std::function<void(std::string_view)> tell_;
  HWND events_ = nullptr;
  UINT_PTR idleTimer_ = 0;  // the idle timer's id while it runs
};

}  // namespace hueclip::win32
