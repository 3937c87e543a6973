#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/pixel_block.h"
#include "platform/win32/desktop_duplication.h"
#include "platform/win32/duplication_policy.h"
#include "platform/win32/hdr_displays.h"

namespace hueclip::win32 {

// The pixels of a pass's block that lie on monitors showing HDR, read from their desktop
// images in 16-bit float and brought back to the 8-bit sRGB values they were drawn with. GDI
// reads them too bright (scaled to the SDR white level and clipped to 8 bits), so GDI is left
// the rest: monitors in SDR, and HDR monitors whose duplication cannot be had.
class HdrDesktop {
 public:
  static constexpr int kSize = PixelBlockContext::kSize;
  using Block = std::array<std::int32_t, kSize * kSize>;

  explicit HdrDesktop(HdrDisplays& displays) : displays_(&displays) {}

  // Reads the pixels of the block at (left, top) that lie on HDR monitors into `pixels`
  // (0x00BBGGRR, row by row) and marks them in `read`, leaving the others as they are. False
  // when nothing can be read now (another desktop has the input).
  bool Read(std::int32_t left, std::int32_t top, Block& pixels,
            std::array<bool, kSize * kSize>& read);

  // The next pass asks the system about the monitors again (after a display or settings change,
  // which may switch HDR or change the white level). A monitor whose facts are all the same keeps
  // its duplication: most settings changes concern other things (the wallpaper, the
  // environment), and opening a duplication costs a pass tens of milliseconds. One whose white
  // level changed gets a new one, whose first frame is drawn at that level.
  void DisplaysChanged() { stale_ = true; }

 private:
  struct Monitor {
    MonitorFacts facts;
    std::unique_ptr<DuplicationPolicy> duplication;  // made by the first read on it
  };

  HdrDisplays* displays_;
  void AskMonitors();

  std::optional<std::vector<Monitor>> monitors_;  // asked by the first pass
  bool stale_ = false;                            // to be asked again by the next pass
};

}  // namespace hueclip::win32
