#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/pixel_rect.h"
#include "platform/win32/desktop_duplication.h"

namespace hueclip::win32 {

// What a pass needs to know of one monitor.
struct MonitorFacts {
  PixelRect bounds;           // in screen pixels
  double whiteNits = 0;       // its SDR white level where it shows HDR; 0 where it does not
  std::uintptr_t handle = 0;  // the HMONITOR
  std::uint64_t adapter = 0;  // the LUID of the adapter DisplayConfig names for its display path

  bool operator==(const MonitorFacts&) const = default;
};

// What DisplayConfig answers of a display path's colour.
struct PathColour {
  // The colour mode it shows, as Windows 11 24H2 and later tell it
  // (DISPLAYCONFIG_DEVICE_INFO_GET_ADVANCED_COLOR_INFO_2); kUnknown where that is not asked for.
  enum class Mode { kUnknown, kSdr, kWideColour, kHdr };
  Mode mode = Mode::kUnknown;
  // The older answer (DISPLAYCONFIG_DEVICE_INFO_GET_ADVANCED_COLOR_INFO).
  bool advancedColourEnabled = false, wideColourEnforced = false;
  std::uint32_t sdrWhiteLevel = 0;  // thousandths of 80 nits; 0 where it was not answered
};

// The SDR white level in nits of a path that shows HDR; 0 where it does not, or where that cannot
// be told. Where the colour mode is known, only HDR is HDR: with Windows 11's automatic colour
// management on, the older answer says "advanced colour enabled" of an SDR monitor too. Before
// 24H2, advanced colour that is not wide colour enforced on an SDR monitor is HDR.
double HdrWhiteNits(const PathColour& colour);

// What the system tells of its monitors and gives of their desktops, its clock, and where the
// reading says what it does. The system's are DisplayConfig's facts, DXGI's duplications, the
// tick count and the debugger's output (display_config.h); tests put in fakes.
class HdrDisplays {
 public:
  virtual ~HdrDisplays() = default;
  virtual std::vector<MonitorFacts> ReadMonitors() = 0;
  // The desktop duplication of a monitor that shows HDR, not opened yet.
  virtual std::unique_ptr<DesktopDuplication> Duplicate(const MonitorFacts& monitor) = 0;
  // Milliseconds on a steady clock: when a back-off, a budget's window or an idle spell is over.
  virtual std::int64_t NowMs() = 0;
  // One line for someone watching the debugger's output (DebugView, say): which way a monitor is
  // read now, and why. Only when that changes, never on every pass.
  virtual void Trace(const std::string& line) = 0;
};

}  // namespace hueclip::win32
