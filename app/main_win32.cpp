// Hueclip on Windows: the main window over the Win32 backend.
#include <exception>

#include "platform/win32/win32.h"

#include <objbase.h>

#include "platform/win32/clipboard.h"
#include "platform/win32/screen.h"
#include "platform/win32/shell.h"
#include "platform/win32/toolkit.h"
#include "platform/win32/wide.h"
#include "ui/main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Web addresses may be opened through shell extensions, which want COM.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  int code = 1;
  try {
    hueclip::win32::Toolkit toolkit;
    hueclip::win32::Screen screen;
    hueclip::win32::Clipboard clipboard;
    hueclip::win32::Shell shell;
    hueclip::Services services{screen, clipboard, shell, toolkit};
    hueclip::MainWindow main(services);
    code = toolkit.Run(main.form());
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, hueclip::win32::Widen(e.what()).c_str(), L"Hueclip", MB_OK | MB_ICONERROR);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return code;
}
