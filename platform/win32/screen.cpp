#include "platform/win32/screen.h"

#include <algorithm>

namespace hueclip::win32 {

BlockBuffer::BlockBuffer() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = PixelBlockContext::kSize;
  info.bmiHeader.biHeight = -PixelBlockContext::kSize;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dc_ && bitmap_) {
    oldBitmap_ = SelectObject(dc_, bitmap_);
    bits_ = static_cast<std::uint32_t*>(bits);
  }
}

BlockBuffer::~BlockBuffer() {
  if (dc_ && oldBitmap_) SelectObject(dc_, oldBitmap_);
  if (bitmap_) DeleteObject(bitmap_);
  if (dc_) DeleteDC(dc_);
}

namespace {

class SystemScreenApi final : public ScreenApi {
 public:
  bool GetCursorPos(POINT& p) override { return ::GetCursorPos(&p) != FALSE; }
  bool Copy(HDC to, int x, int y, int width, int height, HDC from, int fromX, int fromY) override {
    // SRCCOPY alone: it includes layered windows (since Windows 8), and CAPTUREBLT would make
    // the system hide and redraw the mouse pointer for every copy, a blink ten times a second.
    return BitBlt(to, x, y, width, height, from, fromX, fromY, SRCCOPY) != FALSE;
  }
};

}  // namespace

ScreenApi& ScreenApi::System() {
  static SystemScreenApi api;
  return api;
}

ScreenContext::ScreenContext(BlockBuffer& buffer, ScreenApi& api, HdrDesktop& hdr, Point cursor)
    : PixelBlockContext(cursor),
      buffer_(&buffer),
      api_(&api),
      hdr_(&hdr),
      dc_(::GetWindowDC(nullptr)) {}

ScreenContext::~ScreenContext() {
  if (dc_) ReleaseDC(nullptr, dc_);
}

bool ScreenContext::GrabBlock(std::int32_t left, std::int32_t top) {
  std::array<std::int32_t, kSize * kSize> pixels;
  if (!ReadBlock(left, top, pixels)) return false;
  Hold(left, top, pixels);
  return true;
}

void ScreenContext::Grab(std::int32_t left, std::int32_t top,
                         std::array<std::int32_t, kSize * kSize>& out) {
  if (!ReadBlock(left, top, out)) out.fill(-1);
}

bool ScreenContext::ReadBlock(std::int32_t left, std::int32_t top,
                              std::array<std::int32_t, kSize * kSize>& out) {
  out.fill(-1);
  if (!dc_) return false;
  // Pixels on monitors that show HDR first: where nothing can be read, neither can GDI.
  HdrDesktop::Block block;
  if (!hdr_->Read(left, top, block)) return false;
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = block[i].colour;
  if (std::none_of(block.begin(), block.end(), [](const BlockPixel& p) { return p.colour < 0; }))
    return true;

  // The part of the block that lies on the virtual screen; everything else stays unreadable.
  const PixelRect clip =
      ClipBlock(left, top,
                {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                 GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)});
  if (clip.Empty()) return true;

  const int dx0 = clip.left - left, dy0 = clip.top - top, w = clip.width, h = clip.height;
  // A copy that fails (another desktop has the input) leaves nothing to read: GetPixel on the
  // same DC fails there too.
  if (!api_->Copy(buffer_->dc(), dx0, dy0, w, h, dc_, clip.left, clip.top)) return false;
  GdiFlush();

  for (int dy = dy0; dy < dy0 + h; ++dy) {
    for (int dx = dx0; dx < dx0 + w; ++dx) {
      // Between monitors of different sizes the virtual screen has holes.
      const POINT p{static_cast<LONG>(left + dx), static_cast<LONG>(top + dy)};
      const auto i = static_cast<std::size_t>(dy * kSize + dx);
      if (block[i].colour >= 0 || !MonitorFromPoint(p, MONITOR_DEFAULTTONULL)) continue;
      // The DIB holds 0x00RRGGBB; a colour value is 0x00BBGGRR.
      const std::uint32_t v = buffer_->bits()[i];
      out[i] = block[i].FromGdi(
          static_cast<std::int32_t>(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF)));
    }
  }
  return true;
}

Screen::~Screen() {
  if (events_) DestroyWindow(events_);
}

std::unique_ptr<hueclip::ScreenContext> Screen::GetWindowDC() {
  if (!buffer_ || !buffer_->bits()) buffer_.emplace();
  POINT p{};
  if (!buffer_->bits() || !api_->GetCursorPos(p)) return nullptr;
  const Point cursor{static_cast<std::int32_t>(p.x), static_cast<std::int32_t>(p.y)};
  auto context = std::make_unique<ScreenContext>(*buffer_, *api_, hdr_, cursor);
  // The pass's block is grabbed now, so that a screen that cannot be read gives no context. The
  // pass then reads it from memory, from its top-left corner on.
  constexpr int kHalf = PixelBlockContext::kSize / 2;
  const bool grabbed = context->dc() && context->GrabBlock(cursor.x - kHalf, cursor.y - kHalf);
  AfterPass();
  if (!grabbed) return nullptr;
  return context;
}

void Screen::Hear(SystemChange change) {
  switch (change) {
    case SystemChange::kDisplays:
      hdr_.DisplaysChanged();
      break;
    case SystemChange::kDesktopSwitch:
      hdr_.DesktopSwitched();
      break;
    case SystemChange::kMinimised:
      hdr_.Minimised();
      break;
    case SystemChange::kRestored:
      hdr_.Restored();
      break;
  }
}

void Screen::ReleaseIdle() {
  hdr_.ReleaseIdle();
  if (idleTimer_ && !hdr_.HoldsDuplication()) {
    KillTimer(events_, idleTimer_);
    idleTimer_ = 0;
  }
}

void Screen::AfterPass() {
  // Monitors in SDR alone: no duplication, nothing to post, no window made.
  if (!idleTimer_ && hdr_.HoldsDuplication())
    idleTimer_ = SetTimer(Events(), 1, kIdleCheckMs, nullptr);
  if (hdr_.TakeNotice()) PostMessageW(Events(), kNoticeMessage, 0, 0);
}

HWND Screen::Events() {
  static const ATOM kind = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &EventProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"HueclipScreenEvents";
    return RegisterClassExW(&wc);
  }();
  if (!events_) {
    events_ = CreateWindowExW(0, MAKEINTATOM(kind), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(events_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  return events_;
}

LRESULT CALLBACK Screen::EventProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Screen*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && msg == WM_TIMER) {
    self->ReleaseIdle();
    return 0;
  }
  if (self && msg == kNoticeMessage) {
    if (self->tell_) self->tell_(HdrDesktop::kUnsupportedNotice);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace hueclip::win32
