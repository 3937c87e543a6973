#pragma once

#include "platform/services.h"

namespace hueclip::win32 {

class Shell final : public hueclip::Shell {
 public:
  void Execute(WindowHandle owner, std::string_view operation, std::string_view file) override;
};

}  // namespace hueclip::win32
