#pragma once

#include <cstdint>

#include "platform/pixel_rect.h"
#include "platform/services.h"

// A monitor's desktop duplication, in terms that need no Windows headers, so that what decides
// how to use it can be tested on every system.
namespace hueclip::win32 {

// How the desktop is turned on its monitor, clockwise (DXGI_MODE_ROTATION): a duplication's
// image keeps the monitor's own orientation, so a turned desktop's pixels lie turned back in it.
enum class Rotation { kNone, k90, k180, k270 };

// Where the pixel at `onDesktop` (relative to the monitor's top-left, in a desktop of `width` x
// `height`) lies in the image of a desktop turned by `rotation`.
Point ImagePoint(Point onDesktop, std::int32_t width, std::int32_t height, Rotation rotation);

// One HDR monitor's desktop through a desktop duplication, kept as 16-bit float scRGB. The real
// one is DXGI's (dxgi_duplication.h); tests put in fakes.
class DesktopDuplication {
 public:
  enum class Answer {
    kDone,
    kNoNewFrame,   // the desktop has not changed (DXGI_ERROR_WAIT_TIMEOUT)
    kLost,         // the duplication must be made again (DXGI_ERROR_ACCESS_LOST)
    kDenied,       // another desktop has the input (E_ACCESSDENIED): nothing can be read
    kUnavailable,  // no duplication here (E_NOTIMPL, too many, another format)
  };

  virtual ~DesktopDuplication() = default;
  // Starts duplicating the monitor's output.
  virtual Answer Open() = 0;
  // Keeps the desktop's newest frame if one has come, waiting up to `waitMs` for it: kDone, or
  // kNoNewFrame when none came (the desktop is as the frame kept before shows it).
  virtual Answer Refresh(unsigned waitMs) = 0;
  // Copies `area` of the kept frame (relative to the monitor's top-left, the desktop's way up)
  // to `rgba`: red, green, blue and alpha halves per pixel, row by row.
  virtual Answer Read(PixelRect area, std::uint16_t* rgba) = 0;
  // Ends the duplication and lets go of the frame it kept.
  virtual void Close() = 0;
};

}  // namespace hueclip::win32
