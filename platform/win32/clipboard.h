#pragma once

#include "platform/services.h"
#include "platform/win32/win32.h"

namespace hueclip::win32 {

// Plain text on the clipboard, as CF_TEXT and CF_UNICODETEXT. Owns a message-only window that
// holds the clipboard while it is written (EmptyClipboard needs an owner window).
class Clipboard final : public hueclip::Clipboard {
 public:
  Clipboard() = default;
  ~Clipboard() override;
  Clipboard(const Clipboard&) = delete;
  Clipboard& operator=(const Clipboard&) = delete;

  bool SetText(std::string_view text) override;

  static constexpr int kTries = 5;
  static constexpr DWORD kPauseMs = 50;

 private:
  HWND Owner();

  HWND owner_ = nullptr;
};

}  // namespace hueclip::win32
