#include "platform/win32/shell.h"

#include <string>

#include "platform/win32/win32.h"

namespace hueclip::win32 {

void Shell::Execute(WindowHandle owner, std::string_view operation, std::string_view file) {
  // ANSI on purpose: the operation and the address are plain ASCII. Whether a browser opened
  // is not looked at.
  const std::string op(operation), target(file);
  ShellExecuteA(reinterpret_cast<HWND>(owner), op.c_str(), target.c_str(), nullptr, nullptr,
                SW_SHOWNORMAL);
}

}  // namespace hueclip::win32
