#include "platform/win32/dpi.h"

namespace hueclip::win32 {
namespace {

// Windows 10 (1607) calls, looked up so that the program still starts on older systems.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

template <typename Fn>
Fn User32(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return nullptr;
  // Casting through a generic function pointer keeps the conversion well-defined and quiet.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

}  // namespace

int WindowDpi(HWND hwnd) {
  static const auto getDpiForWindow = User32<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && hwnd) {
    if (const UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

RECT OuterRect(RECT rect, DWORD style, DWORD exStyle, int dpi) {
  static const auto adjustForDpi = User32<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  if (!adjustForDpi || !adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  return rect;
}

}  // namespace hueclip::win32
