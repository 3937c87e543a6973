#include "platform/win32/platform.h"

#include <objbase.h>

namespace hueclip::win32 {

// Web addresses may be opened through shell extensions, which want COM.
Platform::Com::Com()
    : result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}

Platform::Com::~Com() {
  if (SUCCEEDED(result)) CoUninitialize();
}

Platform::Platform(ScreenApi& screenApi, ClipboardApi& clipboardApi, HdrDisplays& displays)
    : screen_(screenApi, displays), clipboard_(clipboardApi) {
  // A display or settings change may switch a monitor's HDR on or off, or move its white level; a
  // desktop switch or a minimised window changes when a duplication is to be had.
  toolkit_.OnSystemChange([this](SystemChange change) { screen_.Hear(change); });
  screen_.OnNotice([this](std::string_view text) { toolkit_.Tell(text); });
}

}  // namespace hueclip::win32
