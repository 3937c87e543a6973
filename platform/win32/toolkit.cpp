#include "platform/win32/toolkit.h"

#include <imm.h>

#include <utility>
#include <vector>

#include "platform/win32/native_window.h"
#include "platform/win32/wide.h"
#include "resources/product.h"

namespace hueclip::win32 {

std::int16_t ShiftState() {
  std::int16_t shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= kShiftMask;
  if (GetKeyState(VK_CONTROL) < 0) shift |= kCtrlMask;
  if (GetKeyState(VK_MENU) < 0) shift |= kAltMask;
  return shift;
}

namespace {

// The toolkits that listen for desktop switches, by their hook: the system calls back with the
// hook alone.
std::vector<std::pair<HWINEVENTHOOK, Toolkit*>>& Listening() {
  static std::vector<std::pair<HWINEVENTHOOK, Toolkit*>> listening;
  return listening;
}

}  // namespace

Toolkit::Toolkit()
    : desktopSwitch_(SetWinEventHook(EVENT_SYSTEM_DESKTOPSWITCH, EVENT_SYSTEM_DESKTOPSWITCH,
                                     nullptr, &Toolkit::DesktopSwitched, 0, 0,
                                     WINEVENT_OUTOFCONTEXT)) {
  if (desktopSwitch_) Listening().emplace_back(desktopSwitch_, this);
}

Toolkit::~Toolkit() {
  if (!desktopSwitch_) return;
  UnhookWinEvent(desktopSwitch_);
  std::erase(Listening(), std::pair{desktopSwitch_, this});
}

void CALLBACK Toolkit::DesktopSwitched(HWINEVENTHOOK hook, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
  for (const auto& [listening, toolkit] : Listening())
    if (listening == hook && toolkit->heard_) toolkit->heard_(SystemChange::kDesktopSwitch);
}

std::unique_ptr<WindowPeer> Toolkit::CreatePeer(Window& window) {
  // Windows without a task-bar button of their own belong to the main window.
  HWND owner = nullptr;
  if (!window.desc().taskbarButton) owner = main_ ? main_ : GetActiveWindow();
  return std::make_unique<NativeWindow>(*this, window, owner);
}

void Toolkit::MessageBox(Window& owner, std::string_view text) {
  ShowBox(reinterpret_cast<HWND>(owner.hWnd()), text, MB_ICONWARNING);
}

void Toolkit::Tell(std::string_view text) { ShowBox(main_, text, MB_ICONINFORMATION); }

void Toolkit::ShowBox(HWND owner, std::string_view text, UINT icon) {
  // None while the program quits (a copy gives up for it, as failed): the WM_QUIT would end the
  // box's own loop at once, the box made for nothing.
  MSG quit;
  if (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return;
  MessageBoxW(owner, Widen(text).c_str(), L"" HUECLIP_NAME, MB_OK | icon);
}

int Toolkit::Run(Window& main) {
  main.Load();
  main_ = reinterpret_cast<HWND>(main.hWnd());
  // The main window's commands are letter keys. A Chinese, Japanese or Korean input method
  // would take them (they arrive as VK_PROCESSKEY) and open its composition window, so the
  // main window and its controls go without one. Other windows, the About text among them,
  // keep the user's. Some systems (Wine among them) apply IACE_CHILDREN to the children
  // alone, so the window itself is named apart.
  ImmAssociateContextEx(main_, nullptr, 0);
  ImmAssociateContextEx(main_, nullptr, IACE_CHILDREN);
  if (NativeWindow* peer = NativeWindow::FromHwnd(main_)) peer->QuitOnClose();
  main.Show();
  MSG msg{};
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) Dispatch(msg);
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  return got == 0 ? static_cast<int>(msg.wParam) : 1;
}

void Toolkit::Changed(HWND window, SystemChange change) {
  if (window == main_ && heard_) heard_(change);
}

void Toolkit::Fail(std::exception_ptr error) {
  if (failure_) return;
  failure_ = std::move(error);
  PostQuitMessage(1);
}

bool Toolkit::RunUntil(const std::function<bool()>& done) {
  MSG msg{};
  while (!done()) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 1);
      return false;
    }
    Dispatch(msg);
  }
  return true;
}

void Toolkit::Dispatch(MSG& msg) {
  if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.hwnd) {
    if (NativeWindow* peer = NativeWindow::FromHwnd(GetAncestor(msg.hwnd, GA_ROOT)))
      peer->window().KeyDown(static_cast<std::int16_t>(msg.wParam), ShiftState());
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

}  // namespace hueclip::win32
