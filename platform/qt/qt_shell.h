#pragma once

#include "platform/services.h"

namespace hueclip::qt {

// Opens files and web addresses with the desktop's handler, xdg-open, found on PATH.
class QtShell final : public Shell {
 public:
  void Execute(WindowHandle owner, std::string_view operation, std::string_view file) override;
};

}  // namespace hueclip::qt
