#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/portal/loss.h"

namespace hueclip::portal {

// How much of the screen the program can see through the desktop's sharing, noted in the order
// it happens, and every sentence the user reads about it: why nothing can be read yet, why
// nothing can be read any more, and that the desktop sends the pointer's position but no picture
// (KWin's virtual outputs do, and so can a broken driver), which would otherwise leave the cells
// empty, or as they were before the streams were lost, without a word.
class Sight {
 public:
  using Clock = std::chrono::steady_clock;
  // How long the streams may carry the pointer's position without a picture before the user is
  // told.
  static constexpr Clock::duration kNoPictureAfter = std::chrono::seconds(3);

  // The desktop shares the monitors, at the start or again after the streams were lost: their
  // streams are being set up.
  void NoteShared();
  // A buffer came with the pointer's position (on its monitor or not) at `now`.
  void NotePointer(Clock::time_point now);
  // A stream holds a picture.
  void NotePicture();
  // A pass read the pixels under the pointer.
  void MarkSeen();
  // The streams stopped for a while: the time without a picture counts again from the next
  // position.
  void NotePause() { pointerSince_.reset(); }
  // The screen cannot be read any more; the first loss is the one told.
  void MarkLost(Loss loss);
  // Marks the streams as pictureless once positions have come for kNoPictureAfter without a
  // picture since: true the one time that happens, when the user is to be told (NoPictureNotice).
  bool MarkPictureless(Clock::time_point now);

  // Why the pixels under the pointer cannot be read, for the user; empty once a pass has read
  // them, unless the screen was lost since.
  std::string Why() const;
  // What the user is told when the streams turn out pictureless.
  static std::string NoPictureNotice();

 private:
  enum class Stage {
    kAsking,       // the desktop has still to share the monitors (its dialog may be up)
    kShared,       // the streams are being set up
    kPointed,      // the pointer's position came, no picture yet
    kPictureless,  // ... for kNoPictureAfter, and the user was told
    kPictured,     // a picture came too
    kSeen,         // a pass read the pixels under the pointer
    kLost,
  };

  Stage stage_ = Stage::kAsking;
  Loss loss_ = Loss::kFailed;  // in kLost
  // The first position since the start or the last pause, in kPointed.
  std::optional<Clock::time_point> pointerSince_;
};

}  // namespace hueclip::portal
