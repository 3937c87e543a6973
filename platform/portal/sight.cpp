#include "platform/portal/sight.h"

namespace hueclip::portal {

// Streams that replace lost ones are seen anew, but for a want of pictures that the user was told
// of and that no picture has ended since.
void Sight::NoteShared() {
  if (stage_ != Stage::kLost && stage_ != Stage::kPictureless) stage_ = Stage::kShared;
}

void Sight::NotePointer(Clock::time_point now) {
  if (stage_ == Stage::kShared) stage_ = Stage::kPointed;
  if (stage_ == Stage::kPointed && !pointerSince_) pointerSince_ = now;
}

// A picture before any position stays unnoted here: passes note pictures again each time.
void Sight::NotePicture() {
  if (stage_ == Stage::kPointed || stage_ == Stage::kPictureless) stage_ = Stage::kPictured;
}

void Sight::MarkSeen() {
  if (stage_ != Stage::kLost) stage_ = Stage::kSeen;
}

void Sight::MarkLost(Loss loss) {
  if (stage_ == Stage::kLost) return;
  stage_ = Stage::kLost;
  loss_ = loss;
}

bool Sight::MarkPictureless(Clock::time_point now) {
  if (stage_ != Stage::kPointed || !pointerSince_ || now - *pointerSince_ < kNoPictureAfter)
    return false;
  stage_ = Stage::kPictureless;
  return true;
}

std::string Sight::NoPictureNotice() {
  return "Hueclip cannot see the screen: the desktop shares it, but sends only the pointer's "
         "position and no picture of the screen.\n"
         "Some virtual monitors and graphics drivers do so. Hueclip goes on waiting for a picture.";
}

std::string Sight::Why() const {
  switch (stage_) {
    case Stage::kAsking:
      return "Hueclip cannot see the screen yet: the desktop has still to share it.\n"
             "In its screen-sharing dialog, choose the monitors, then Share.";
    case Stage::kShared:
      return "Hueclip cannot see the screen yet: the desktop has not told where the pointer is.\n"
             "Move the pointer.";
    case Stage::kPointed:
    case Stage::kPictureless:
      return "Hueclip cannot see the screen yet: the desktop sends the pointer's position but no "
             "picture of the screen.";
    case Stage::kPictured:
      return "Hueclip cannot see the screen under the pointer: move it onto a monitor that is "
             "shared.";
    case Stage::kSeen:
      return {};
    case Stage::kLost:
      break;
  }
  switch (loss_) {
    case Loss::kRefused:
      return "Hueclip cannot see the screen: sharing it was refused.\n"
             "To allow it, close Hueclip, start it again and choose Share in the desktop's "
             "screen-sharing dialog.";
    case Loss::kStopped:
      return "Hueclip can no longer see the screen: sharing it was stopped.\n"
             "To allow it again, close Hueclip and start it again.";
    case Loss::kBrokeOff:
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

}  // namespace hueclip::portal
