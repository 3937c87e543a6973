#pragma once

#include <cstdint>
#include <memory>

#include "platform/win32/desktop_duplication.h"

namespace hueclip::win32 {

// When the passes use one HDR monitor's desktop duplication: open it when first needed, keep the
// last frame for a still desktop, make it again when it is lost, and leave it to GDI for a while
// where it cannot be had.
class DuplicationPolicy {
 public:
  // How many reads a monitor whose duplication could not be had is read through GDI before it
  // is tried again: about five seconds of passes on it (another program may have let go of one
  // of the four duplications an output allows, or a full-screen game may have ended).
  static constexpr int kRetryAfter = 50;
  // How long a read waits for a new duplication's first frame, each read until one has come;
  // once a frame is kept, reads do not wait.
  static constexpr unsigned kFirstFrameWaitMs = 50;

  enum class Result {
    kRead,        // the pixels are in
    kUseGdi,      // no duplication: read these pixels through GDI
    kUnreadable,  // nothing can be read now: the pass leaves the window as it was
  };

  explicit DuplicationPolicy(std::unique_ptr<DesktopDuplication> duplication)
      : duplication_(std::move(duplication)) {}
  ~DuplicationPolicy();
  DuplicationPolicy(const DuplicationPolicy&) = delete;
  DuplicationPolicy& operator=(const DuplicationPolicy&) = delete;

  // Reads `area` (monitor-relative) of the desktop as it is now, or as it was when it last
  // changed, into `rgba` (see DesktopDuplication::Read).
  Result Read(PixelRect area, std::uint16_t* rgba);

 private:
  enum class State {
    kClosed,   // no duplication: the next read opens one
    kOpen,     // duplicating, no frame yet
    kKept,     // duplicating, a frame kept
    kRefused,  // could not be had: GDI until kRetryAfter reads have passed
  };

  // Closes the duplication and goes to `next`.
  void Close(State next);

  std::unique_ptr<DesktopDuplication> duplication_;
  State state_ = State::kClosed;
  int readsRefused_ = 0;  // in kRefused
};

}  // namespace hueclip::win32
