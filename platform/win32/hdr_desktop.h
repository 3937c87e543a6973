#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/pixel_block.h"
#include "platform/win32/duplication_policy.h"
#include "platform/win32/hdr_displays.h"

namespace hueclip::win32 {

// One pixel of a pass's block as the HDR monitors leave it.
struct BlockPixel {
  std::int32_t colour = -1;  // read from a duplication (0x00BBGGRR); -1 where GDI is to read it
  double unclipNits = 0;     // where GDI reads it on a monitor that shows HDR: its white level

  // The pixel from GDI's copy of it, un-clipped where it lies on a monitor that shows HDR.
  std::int32_t FromGdi(std::int32_t copied) const;
};

// The pixels of a pass's block that lie on monitors showing HDR, read from their desktop
// duplications in 16-bit float and brought back to the 8-bit sRGB values they were drawn with.
// GDI reads them too bright (scaled to the SDR white level and clipped to 8 bits): where no
// duplication can be had, GDI's copy is un-clipped instead, exact below the clip. Monitors in SDR
// are GDI's as they are.
class HdrDesktop {
 public:
  static constexpr int kSize = PixelBlockContext::kSize;
  using Block = std::array<BlockPixel, kSize * kSize>;

  explicit HdrDesktop(HdrDisplays& displays) : displays_(&displays) {}

  // Fills `block` for the block at (left, top), row by row: the pixels read from duplications,
  // and for the rest how GDI's copy is to be taken. False when nothing can be read now (another
  // desktop has the input).
  bool Read(std::int32_t left, std::int32_t top, Block& block);

  // A display or settings change, which may switch HDR or change a white level: the monitors are
  // asked again. A monitor whose facts are all the same keeps its duplication, as most settings
  // changes concern other things (the wallpaper, the environment) and opening one costs tens of
  // milliseconds; one whose white level changed gets a new one, drawn at that level.
  void DisplaysChanged();
  // The input went to another desktop or came back (the lock screen, a UAC prompt).
  void DesktopSwitched();
  // While the window is minimised nobody sees it: every duplication is let go, and none is
  // opened; the HDR monitors are read through GDI, un-clipped.
  void Minimised();
  void Restored();
  // Lets go of the duplications that no read has asked for a while (DuplicationPolicy::kIdleMs).
  void ReleaseIdle();
  // Whether any duplication, or the device for one, is held: ReleaseIdle has work to do.
  bool HoldsDuplication() const;

  // True once a run, after a monitor's duplication proved unsupported in this process: the user
  // is to be told what to do (kUnsupportedNotice).
  bool TakeNotice();
  static constexpr const char* kUnsupportedNotice =
      "Hueclip cannot read an HDR monitor of this computer exactly: Windows runs Hueclip on a "
      "graphics processor that does not drive that monitor. There, dark and middle colours are "
      "still exact, but bright ones read as 255.\n\n"
      "To read every colour exactly: Settings > System > Display > Graphics, add hueclip.exe, "
      "set it to \"Power saving\", and start Hueclip again.";

 private:
  struct Monitor {
    MonitorFacts facts;
    std::unique_ptr<DuplicationPolicy> policy;  // made by the first read on it
  };
  enum class Window { kShown, kMinimised };
  enum class Notice { kNotDue, kDue, kGiven };

  void AskMonitors();
  template <typename Action>
  void EachPolicy(Action action) {
    if (monitors_)
      for (Monitor& monitor : *monitors_)
        if (monitor.policy) action(*monitor.policy);
  }

  HdrDisplays* displays_;
  std::optional<std::vector<Monitor>> monitors_;  // asked by the first pass
  Window window_ = Window::kShown;
  Notice notice_ = Notice::kNotDue;
};

}  // namespace hueclip::win32
