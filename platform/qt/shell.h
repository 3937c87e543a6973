#pragma once

#include <utility>

#include <QProcessEnvironment>

#include "platform/services.h"

namespace hueclip::qt {

// Opens files and web addresses with the desktop's handler: xdg-open, found on PATH, which runs
// in the user's environment, without the settings that Hueclip made for its own Qt. Where
// xdg-open is missing (it comes with xdg-utils, which many desktops lack), the desktop portal's
// OpenURI opens them, in a build with the portal.
class QtShell final : public Shell {
 public:
  explicit QtShell(QProcessEnvironment userEnvironment)
      : userEnvironment_(std::move(userEnvironment)) {}
  void Execute(WindowHandle owner, std::string_view operation, std::string_view file) override;

 private:
  QProcessEnvironment userEnvironment_;
};

}  // namespace hueclip::qt
