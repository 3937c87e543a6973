#include "platform/portal/sight.h"

namespace hueclip::portal {

void Sight::Pointer(Clock::time_point now) {
  pointed_ = true;
  if (!pointerSince_) pointerSince_ = now;
}

void Sight::Lost(Loss loss) {
  if (lost_) return;
  lost_ = true;
  loss_ = loss;
}

bool Sight::NoPictureDue(Clock::time_point now) {
  if (told_ || lost_ || pictured_ || !pointerSince_ || now - *pointerSince_ < kNoPictureAfter)
    return false;
  told_ = true;
  return true;
}

std::string Sight::Why() const {
  if (lost_) {
    switch (loss_) {
      case Loss::kRefused:
        return "Hueclip cannot see the screen: sharing it was refused.\n"
               "To allow it, close Hueclip, start it again and choose Share in the desktop's "
               "screen-sharing dialog.";
      case Loss::kStopped:
        return "Hueclip can no longer see the screen: sharing it was stopped.\n"
               "To allow it again, close Hueclip and start it again.";
      case Loss::kLost:
        return "Hueclip can no longer see the screen: the desktop's screen sharing broke off and "
               "could not be started again.\n"
               "Close Hueclip and start it again.";
      case Loss::kFailed:
        break;
    }
    return "Hueclip cannot see the screen: the desktop's screen-sharing portal did not share it.\n"
           "Check that xdg-desktop-portal and the desktop's portal backend (GNOME or KDE) are "
           "installed, then start Hueclip again.";
  }
  if (seen_) return {};
  if (!shared_)
    return "Hueclip cannot see the screen yet: the desktop has still to share it.\n"
           "In its screen-sharing dialog, choose the monitors, then Share.";
  if (!pointed_)
    return "Hueclip cannot see the screen yet: the desktop has not told where the pointer is.\n"
           "Move the pointer.";
  if (!pictured_)
    return "Hueclip cannot see the screen yet: the desktop sends the pointer's position but no "
           "picture of the screen.";
  return "Hueclip cannot see the screen under the pointer: move it onto a monitor that is "
         "shared.";
}

}  // namespace hueclip::portal
