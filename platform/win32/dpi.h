#pragma once

#include "platform/win32/win32.h"

namespace hueclip::win32 {

// Dots per inch of the monitor `hwnd` is on; 96 on systems without per-monitor DPI.
int WindowDpi(HWND hwnd);

// The outer window rectangle for the client rectangle `rect`, at `dpi`.
RECT OuterRect(RECT rect, DWORD style, DWORD exStyle, int dpi);

// GetSystemMetrics's `index` (a size) at `dpi`.
int SystemMetric(int index, int dpi);

// The icon `id` of `module` at the small icon size for `dpi`, or null; the caller destroys it.
HICON LoadSmallIcon(HINSTANCE module, int id, int dpi);

}  // namespace hueclip::win32
