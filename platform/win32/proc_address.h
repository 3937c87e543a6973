#pragma once

#include "platform/win32/win32.h"

namespace hueclip::win32 {

// The function `name` of `module` as an `Fn`, or null where the module or the function is
// missing: for calls looked up at run time, so that the program still starts without them.
template <typename Fn>
Fn ProcAddress(HMODULE module, const char* name) {
  if (!module) return nullptr;
  // Casting through a generic function pointer keeps the conversion well-defined and quiet.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace hueclip::win32
