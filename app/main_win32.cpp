// Hueclip on Windows: the main window over the Win32 backend.
#include <exception>

#include "platform/win32/platform.h"
#include "platform/win32/wide.h"
#include "ui/main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    hueclip::win32::Platform platform;
    hueclip::MainWindow main(platform.services());
    return platform.toolkit().Run(main.form());
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, hueclip::win32::Widen(e.what()).c_str(), L"Hueclip", MB_OK | MB_ICONERROR);
  }
  return 1;
}
