// Hueclip on Windows: the main window over the Win32 backend.
#include <exception>

#include "platform/win32/platform.h"
#include "platform/win32/wide.h"
#include "ui/main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // DLLs loaded from here on come from the system folder only, never from beside the program:
  // hueclip.exe is often started from Downloads, where anything may lie.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  try {
    hueclip::win32::Platform platform;
    hueclip::MainWindow main(platform.services());
    return platform.toolkit().Run(main.form());
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, hueclip::win32::Widen(e.what()).c_str(), L"Hueclip", MB_OK | MB_ICONERROR);
  }
  return 1;
}
