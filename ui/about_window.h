#pragma once

#include <cstddef>

#include "platform/window.h"

namespace hueclip {

// frmAbout: a fixed dialog holding one read-only text box with the version and the key help.
// Lines end in CR LF, the last one too.
extern const char* const kHelpText;
extern const WindowDesc kFrmAbout;

namespace about_ids {
inline constexpr std::size_t Text1 = 0;
}

class AboutWindow final : public WindowEvents {
 public:
  explicit AboutWindow(Toolkit& toolkit) : form_(toolkit, kFrmAbout, *this) {}
  Window& form() { return form_; }

 private:
  Window form_;
};

}  // namespace hueclip
