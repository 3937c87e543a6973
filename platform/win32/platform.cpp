#include "platform/win32/platform.h"

#include <objbase.h>

namespace hueclip::win32 {

// Web addresses may be opened through shell extensions, which want COM.
Platform::Com::Com()
    : result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}

Platform::Com::~Com() {
  if (SUCCEEDED(result)) CoUninitialize();
}

Platform::Platform(ScreenApi& screenApi, ClipboardApi& clipboardApi)
    : screen_(screenApi), clipboard_(clipboardApi) {
  // A display or settings change may switch a monitor's HDR on or off, or move its white level.
  toolkit_.OnDisplaysChanged([this] { screen_.DisplaysChanged(); });
}

}  // namespace hueclip::win32
