#pragma once

#include <exception>
#include <functional>
#include <utility>

#include "platform/win32/win32.h"
#include "platform/window.h"

namespace hueclip::win32 {

// Windows as native Win32 windows, with the program's one message loop.
class Toolkit final : public hueclip::Toolkit {
 public:
  std::unique_ptr<WindowPeer> CreatePeer(Window& window) override;
  void MessageBox(Window& owner, std::string_view text) override;
  // Throws, once the message loop has ended, an exception that a window procedure caught.
  int Run(Window& main) override;

  // Pumps messages until `done` says so; returns false when the program is quitting (the
  // WM_QUIT is posted again for the outer loop).
  bool RunUntil(const std::function<bool()>& done);

  // Calls `heard` when the displays or the system's settings change: on the main window's
  // WM_DISPLAYCHANGE and WM_SETTINGCHANGE, which the system sends to every top-level window.
  void OnDisplaysChanged(std::function<void()> heard) { displaysChanged_ = std::move(heard); }
  // Called by a window procedure on those two messages.
  void DisplaysChanged(HWND window);

  // Called by a window procedure with an exception it caught: ends the message loop, which
  // then throws it. Later ones, while the loop winds down, are dropped.
  void Fail(std::exception_ptr error);

 private:
  // Key preview: a key pressed anywhere in one of the program's windows reaches that window's
  // KeyDown before the control with the focus sees it.
  static void Dispatch(MSG& msg);

  HWND main_ = nullptr;
  std::exception_ptr failure_;
  std::function<void()> displaysChanged_;
};

// The shift state of a key press: 1 Shift, 2 Ctrl, 4 Alt.
std::int16_t ShiftState();

}  // namespace hueclip::win32
