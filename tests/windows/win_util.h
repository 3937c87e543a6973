#pragma once

// Helpers shared by the Win32 test programs.
#include <windows.h>

#include <cwchar>
#include <string>

namespace wintest {

// Runs the test's own messages (its windows must paint) while waiting for `done`.
template <typename Done>
bool WaitFor(Done done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(20);
  }
}

inline void Pump(DWORD ms) {
  WaitFor([] { return false; }, ms);
}

inline std::string Narrow(const std::wstring& w) {
  std::string out;
  for (wchar_t c : w) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

inline std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// A test colour for the pixel (x, y) of a pattern: red, green and blue all differ from pixel to
// pixel and from each other, so a swapped channel or a shifted read shows.
inline COLORREF PatternColour(int x, int y) {
  return RGB(10 * x + 3, 200 - 7 * y, 50 + 5 * x + 3 * y);
}

// A topmost borderless window painted with PatternColour, `size` pixels square at (left, top).
inline HWND ShowPattern(int left, int top, int size) {
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        for (int y = 0; y < r.bottom; ++y)
          for (int x = 0; x < r.right; ++x) SetPixelV(dc, x, y, PatternColour(x, y));
        EndPaint(hwnd, &ps);
        return 0;
      }
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    };
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"HueclipTestPattern";
    return RegisterClassW(&wc);
  }();
  if (!atom) return nullptr;
  HWND hwnd =
      CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"HueclipTestPattern", L"", WS_POPUP, left,
                      top, size, size, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) return nullptr;
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd);
  Pump(500);
  return hwnd;
}

// The clipboard's text as CF_UNICODETEXT (or CF_TEXT with `ansi`); empty when it has none.
inline bool ReadClipboard(std::string& out, bool ansi = false) {
  bool open = false;
  for (int i = 0; i < 20 && !open; ++i) {
    open = OpenClipboard(nullptr) != FALSE;
    if (!open) Sleep(25);
  }
  if (!open) return false;
  out.clear();
  bool got = false;
  if (HANDLE h = GetClipboardData(ansi ? CF_TEXT : CF_UNICODETEXT)) {
    if (const void* p = GlobalLock(h)) {
      out =
          ansi ? std::string(static_cast<const char*>(p)) : Narrow(static_cast<const wchar_t*>(p));
      GlobalUnlock(h);
      got = true;
    }
  }
  CloseClipboard();
  return got;
}

// Replaces the clipboard's contents with `text` as CF_UNICODETEXT; the clipboard stays open
// when `keepOpen` is set (the caller closes it).
inline bool PutClipboard(const std::string& text, bool keepOpen = false) {
  // EmptyClipboard makes the opening window the owner; without one, setting data fails.
  thread_local HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                            GetModuleHandleW(nullptr), nullptr);
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  const std::wstring w = Widen(text);
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (w.size() + 1) * sizeof(wchar_t));
  bool ok = false;
  if (mem) {
    if (void* p = GlobalLock(mem)) {
      std::wmemcpy(static_cast<wchar_t*>(p), w.c_str(), w.size() + 1);
      GlobalUnlock(mem);
      ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
    }
    if (!ok) GlobalFree(mem);
  }
  if (!keepOpen) CloseClipboard();
  return ok;
}

}  // namespace wintest
