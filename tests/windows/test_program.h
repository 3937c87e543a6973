#pragma once

// What the Win32 test programs share: their report, "PASS name" or "FAIL name: detail" per check
// and then "N passed, M failed" (scripts/test-windows adds these up); a wait that runs the
// program's own messages; steps run inside a message loop; and a patch of known colour on the
// screen.
#include <cstdio>
#include <functional>
#include <string>
#include <utility>

#include "platform/win32/win32.h"

namespace hueclip::test_program {

inline int passed = 0, failed = 0;

inline bool Check(bool ok, const std::string& name, const std::string& detail = {}) {
  ++(ok ? passed : failed);
  std::printf("%s %s%s%s\n", ok ? "PASS" : "FAIL", name.c_str(), ok || detail.empty() ? "" : ": ",
              ok ? "" : detail.c_str());
  std::fflush(stdout);
  return ok;
}

// Prints the count of checks; the program's exit code.
inline int Report() {
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}

// Runs this program's own messages (its windows must paint) until `done` or the timeout.
template <typename Done>
bool WaitFor(Done done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(20);
  }
}

// Runs `step(0)`, `step(1)`, ... from a thread timer inside the toolkit's message loop (and its
// modal loops), one step every `everyMs`, until a step returns false.
inline std::function<bool(int)> timedStep;
inline int stepCount = 0;
inline UINT_PTR stepTimer = 0;

inline void RunSteps(UINT everyMs, std::function<bool(int)> step) {
  timedStep = std::move(step);
  stepCount = 0;
  stepTimer = SetTimer(nullptr, 0, everyMs, [](HWND, UINT, UINT_PTR, DWORD) {
    if (!timedStep(stepCount++)) KillTimer(nullptr, stepTimer);
  });
}

// Red, green and blue all different, and no black: what a pass that failed would show.
constexpr COLORREF kPatch = RGB(200, 120, 40);

// A topmost borderless window in kPatch over (200, 150) to (220, 170).
inline HWND ShowPatch() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = CreateSolidBrush(kPatch);
  wc.lpszClassName = L"HueclipTestPatch";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP,
                              200, 150, 20, 20, nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  WaitFor([] { return false; }, 500);
  return hwnd;
}

}  // namespace hueclip::test_program
