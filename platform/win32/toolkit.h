#pragma once

#include <exception>
#include <functional>
#include <string_view>
#include <utility>

#include "platform/win32/win32.h"
#include "platform/window.h"

namespace hueclip::win32 {

// What changes around the program that the screen's reading must know of.
enum class SystemChange {
  kDisplays,       // WM_DISPLAYCHANGE or WM_SETTINGCHANGE, which every top-level window gets
  kDesktopSwitch,  // EVENT_SYSTEM_DESKTOPSWITCH: the lock screen, a UAC prompt, and back
  kMinimised,      // the main window's WM_SIZE, SIZE_MINIMIZED
  kRestored,       // its WM_SIZE otherwise
};

// Windows as native Win32 windows, with the program's one message loop.
class Toolkit final : public hueclip::Toolkit {
 public:
  // Listens for desktop switches from construction to destruction.
  Toolkit();
  ~Toolkit() override;
  Toolkit(const Toolkit&) = delete;
  Toolkit& operator=(const Toolkit&) = delete;

  std::unique_ptr<WindowPeer> CreatePeer(Window& window) override;
  void MessageBox(Window& owner, std::string_view text) override;
  // Throws, once the message loop has ended, an exception that a window procedure caught.
  int Run(Window& main) override;

  // Pumps messages until `done` says so; returns false when the program is quitting (the
  // WM_QUIT is posted again for the outer loop).
  bool RunUntil(const std::function<bool()>& done);

  // Calls `heard` with what changed around the program that the screen's reading must know.
  void OnSystemChange(std::function<void(SystemChange)> heard) { heard_ = std::move(heard); }
  // Called by a window procedure with what its window heard: only the main window's count.
  void Changed(HWND window, SystemChange change);

  // Shows `text` in a message box over the main window.
  void Tell(std::string_view text);

  // Called by a window procedure with an exception it caught: ends the message loop, which
  // then throws it. Later ones, while the loop winds down, are dropped.
  void Fail(std::exception_ptr error);

 private:
  // Key preview: a key pressed anywhere in one of the program's windows reaches that window's
  // KeyDown before the control with the focus sees it.
  static void Dispatch(MSG& msg);
  static void CALLBACK DesktopSwitched(HWINEVENTHOOK hook, DWORD, HWND, LONG, LONG, DWORD, DWORD);
  void ShowBox(HWND owner, std::string_view text, UINT icon);

  HWND main_ = nullptr;
  std::exception_ptr failure_;
  std::function<void(SystemChange)> heard_;
  HWINEVENTHOOK desktopSwitch_ = nullptr;
};

// The shift state of a key press: 1 Shift, 2 Ctrl, 4 Alt.
std::int16_t ShiftState();

}  // namespace hueclip::win32
