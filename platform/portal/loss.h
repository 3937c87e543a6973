#pragma once

namespace hueclip::portal {

// Why the screen can no longer be read through the desktop's sharing. The portal's session ends
// with one of the first three; the last is the screen's own.
enum class Loss {
  kRefused,   // the user said no in the desktop's dialog
  kFailed,    // the portal or the desktop could not set the sharing up
  kStopped,   // the sharing was stopped from the desktop
  kBrokeOff,  // the streams were lost and no new session could replace them
};

}  // namespace hueclip::portal
