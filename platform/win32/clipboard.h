#pragma once

#include "platform/services.h"
#include "platform/win32/win32.h"

namespace hueclip::win32 {

// The clipboard calls of one write. The system's are the real thing; tests put in a fake that
// refuses some of them.
class ClipboardApi {
 public:
  virtual ~ClipboardApi() = default;
  virtual bool Open(HWND owner) = 0;
  virtual bool Empty() = 0;
  // True when the system took `data` (and owns it from then on).
  virtual bool Set(UINT format, HANDLE data) = 0;
  virtual void Close() = 0;

  static ClipboardApi& System();
};

// Plain text on the clipboard, as CF_UNICODETEXT and CF_TEXT. Owns a message-only window that
// holds the clipboard while it is written (EmptyClipboard needs an owner window).
class Clipboard final : public hueclip::Clipboard {
 public:
  explicit Clipboard(ClipboardApi& api = ClipboardApi::System()) : api_(&api) {}
  ~Clipboard() override;
  Clipboard(const Clipboard&) = delete;
  Clipboard& operator=(const Clipboard&) = delete;

  // Gives up, as refused and with the clipboard untouched, when the program is to quit while it
  // waits for the clipboard.
  bool SetText(std::string_view text) override;
  bool EmptiedOnFailure() const override { return emptied_; }

  static constexpr int kTries = 5;
  static constexpr DWORD kPauseMs = 50;

 private:
  HWND Owner();

  ClipboardApi* api_;
  HWND owner_ = nullptr;
  bool emptied_ = false;
  bool waiting_ = false;  // between tries, while messages are handled
};

}  // namespace hueclip::win32
