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

// One HDR monitor's desktop through a desktop duplication. The real one is DXGI's
// (dxgi_duplication.h); tests put in fakes. The device it duplicates on outlives the duplication
// itself, so that opening it again after a loss is cheap.
class DesktopDuplication {
 public:
  enum class Answer {
    kDone,
    kNoNewFrame,   // no new desktop image: DXGI_ERROR_WAIT_TIMEOUT, or a frame that only moved
                   // the pointer
    kLost,         // the duplication is gone (DXGI_ERROR_ACCESS_LOST: a mode change, a desktop
                   // switch, a full-screen application), or its device was removed
    kDenied,       // another desktop has the input (E_ACCESSDENIED): nothing can be read
    kUnsupported,  // DXGI_ERROR_UNSUPPORTED from every adapter that shows the monitor: a laptop's
                   // panel seen by a process that runs on its other GPU
    kBusy,         // the session's duplications are all taken (DXGI_ERROR_NOT_CURRENTLY_AVAILABLE)
    kUnavailable,  // none for another reason (E_NOTIMPL, no output, a format not asked for)
  };

  virtual ~DesktopDuplication() = default;
  // Starts duplicating the monitor's output, making the device first where there is none.
  virtual Answer Open() = 0;
  // Keeps the desktop's newest image if one has come, waiting up to `waitMs` for it: kDone, or
  // kNoNewFrame when none came (the desktop is as the image kept before shows it).
  virtual Answer Refresh(unsigned waitMs) = 0;
  // Copies `area` of the kept image (relative to the monitor's top-left, the desktop's way up) to
  // `colours`, 0x00BBGGRR row by row: a 16-bit float image brought back to the 8-bit sRGB values
  // it was drawn with at `whiteNits`, an 8-bit one as it is.
  virtual Answer Read(PixelRect area, double whiteNits, std::int32_t* colours) = 0;
  // Ends the duplication and lets go of its images; the device stays.
  virtual void Close() = 0;
  // Lets go of everything, the device too.
  virtual void Release() = 0;
  // The HRESULT behind the last answer other than kDone and kNoNewFrame, for the trace.
  virtual std::uint32_t LastError() const = 0;
};

}  // namespace hueclip::win32
