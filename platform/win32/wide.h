#pragma once

#include <string>
#include <string_view>

namespace hueclip::win32 {

// The program's texts are UTF-8; the window system's are UTF-16.
std::wstring Widen(std::string_view utf8);

}  // namespace hueclip::win32
