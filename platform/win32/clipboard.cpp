#include "platform/win32/clipboard.h"

#include <cstring>
#include <string>

#include "platform/win32/wide.h"

namespace hueclip::win32 {
namespace {

HGLOBAL CopyToGlobal(const void* data, std::size_t bytes) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!mem) return nullptr;
  if (void* p = GlobalLock(mem)) {
    std::memcpy(p, data, bytes);
    GlobalUnlock(mem);
    return mem;
  }
  GlobalFree(mem);
  return nullptr;
}

// The text in the ANSI code page, for programs that only read CF_TEXT.
std::string ToAnsi(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

class SystemClipboardApi final : public ClipboardApi {
 public:
  bool Open(HWND owner) override { return OpenClipboard(owner) != FALSE; }
  bool Empty() override { return EmptyClipboard() != FALSE; }
  bool Set(UINT format, HANDLE data) override { return SetClipboardData(format, data) != nullptr; }
  void Close() override { CloseClipboard(); }
};

// Waits `ms` with the program alive: it answers messages sent by other programs, paints and
// keeps its timers (the sampling goes on). Input and other posted messages stay queued, in
// order, for the message loop once the copy is done. Returns false, at once, when the program is
// to quit (its main window was closed meanwhile, or a handler failed): the WM_QUIT, which
// PeekMessage returns whatever its filter, is posted again for the message loop.
bool WaitAlive(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    // PeekMessage also delivers the messages sent meanwhile, whatever it returns.
    MSG msg;
    if (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE) ||
        PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
      }
      DispatchMessageW(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now),
                                QS_PAINT | QS_TIMER | QS_SENDMESSAGE);
    }
  }
  return true;
}

}  // namespace

ClipboardApi& ClipboardApi::System() {
  static SystemClipboardApi api;
  return api;
}

Clipboard::~Clipboard() {
  if (owner_) DestroyWindow(owner_);
}

HWND Clipboard::Owner() {
  if (!owner_)
    owner_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  return owner_;
}

bool Clipboard::SetText(std::string_view text) {
  // A copy asked for while another waits for the clipboard (by a message sent from another
  // program meanwhile) is refused: done first, it would be overwritten by the older text.
  if (waiting_) {
    emptied_ = false;
    return false;
  }
  const std::wstring wide = Widen(text);
  const std::string ansi = ToAnsi(wide);
  // Both copies are made before the clipboard is touched, so that running out of memory leaves
  // it as it was.
  HGLOBAL unicodeData = CopyToGlobal(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  HGLOBAL ansiData = CopyToGlobal(ansi.c_str(), ansi.size() + 1);
  bool open = false;
  if (unicodeData && ansiData) {
    // Another program may hold the clipboard for a moment; give it about a quarter second,
    // unless the program is quitting meanwhile.
    for (int attempt = 0; attempt < kTries && !open; ++attempt) {
      if (attempt > 0) {
        waiting_ = true;
        const bool alive = WaitAlive(kPauseMs);
        waiting_ = false;
        if (!alive) break;
      }
      open = api_->Open(Owner());
    }
  }
  bool emptied = false, unicodeSet = false, ansiSet = false;
  if (open) {
    emptied = api_->Empty();
    if (emptied) {
      // The most descriptive format first. The system owns the memory it takes.
      unicodeSet = api_->Set(CF_UNICODETEXT, unicodeData);
      ansiSet = api_->Set(CF_TEXT, ansiData);
    }
    api_->Close();
  }
  if (!unicodeSet && unicodeData) GlobalFree(unicodeData);
  if (!ansiSet && ansiData) GlobalFree(ansiData);
  const bool copied = unicodeSet || ansiSet;
  // Emptied, then both formats refused: what the clipboard held is gone, which the user is told.
  emptied_ = emptied && !copied;
  return copied;
}

}  // namespace hueclip::win32
