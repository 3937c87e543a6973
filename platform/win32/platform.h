#pragma once

#include "platform/services.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/screen.h"
#include "platform/win32/shell.h"
#include "platform/win32/toolkit.h"

namespace hueclip::win32 {

// The Windows platform of one run: COM for the shell, the toolkit, and the services over the
// system's screen, monitors and clipboard calls (or over a test's fakes of them).
class Platform {
 public:
  explicit Platform(ScreenApi& screenApi = ScreenApi::System(),
                    ClipboardApi& clipboardApi = ClipboardApi::System(),
                    HdrDisplays& displays = SystemDisplays());
  Platform(const Platform&) = delete;
  Platform& operator=(const Platform&) = delete;

  Services& services() { return services_; }
  Toolkit& toolkit() { return toolkit_; }

 private:
  // COM on this thread from before the services to after them.
  struct Com {
    Com();
    ~Com();
    HRESULT result;
  } com_;
  Toolkit toolkit_;
  Screen screen_;
  Clipboard clipboard_;
  Shell shell_;
  Services services_{screen_, clipboard_, shell_, toolkit_};
};

}  // namespace hueclip::win32
