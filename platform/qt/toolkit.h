#pragma once

#include "platform/window.h"

namespace hueclip::qt {

// Windows as Qt widgets. The window given to Run is the program's main window: the windows
// without a task-bar button of their own belong to it.
class QtToolkit final : public Toolkit {
 public:
  std::unique_ptr<WindowPeer> CreatePeer(Window& window) override;
  void MessageBox(Window& owner, std::string_view text) override;
  int Run(Window& main) override;
  // A warning in a message box over the main window, for what the platform itself has to say.
  void Warn(std::string_view text);

 private:
  Window* main_ = nullptr;
};

}  // namespace hueclip::qt
