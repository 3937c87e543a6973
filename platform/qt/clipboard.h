#pragma once

#include "platform/services.h"

namespace hueclip::qt {

// The desktop's clipboard (the X CLIPBOARD selection, which Ctrl+V pastes), with lines broken
// by LF.
class QtClipboard final : public Clipboard {
 public:
  bool SetText(std::string_view text) override;
};

}  // namespace hueclip::qt
