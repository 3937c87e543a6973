#include "platform/win32/dpi.h"

#include "platform/win32/proc_address.h"

namespace hueclip::win32 {
namespace {

// Windows 10 (1607) calls, and one of Vista's common controls, looked up so that the program
// still starts on systems without them.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);

template <typename Fn>
Fn User32(const char* name) {
  return ProcAddress<Fn>(GetModuleHandleW(L"user32.dll"), name);
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

int SystemMetric(int index, int dpi) {
  static const auto forDpi = User32<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, WindowDpi(nullptr));
}

HICON LoadSmallIcon(HINSTANCE module, int id, int dpi) {
  // The common controls of the manifest (version 6), loaded once and kept.
  static const auto scaleDown =
      ProcAddress<LoadIconWithScaleDownFn>(LoadLibraryW(L"comctl32.dll"), "LoadIconWithScaleDown");
  const int width = SystemMetric(SM_CXSMICON, dpi), height = SystemMetric(SM_CYSMICON, dpi);
  HICON icon = nullptr;
  // LoadIconWithScaleDown only ever scales a larger picture down, which stays sharper; LoadImage
  // may scale a smaller one up.
  if (scaleDown && SUCCEEDED(scaleDown(module, MAKEINTRESOURCEW(id), width, height, &icon)))
    return icon;
  return static_cast<HICON>(
      LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

}  // namespace hueclip::win32
