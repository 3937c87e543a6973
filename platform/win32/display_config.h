#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/hdr_displays.h"

namespace hueclip::win32 {

// Every monitor with its bounds and the adapter of its display path, and for those that show HDR
// their SDR white level, as DisplayConfig tells them (user32, Windows 7 and later; the HDR
// queries answer on Windows 10 1709 and later, and fail elsewhere, which reads as no HDR).
std::vector<MonitorFacts> ReadMonitorFacts();

// The system's: its monitors (ReadMonitorFacts), their desktop duplications (DuplicateMonitor),
// the tick count, and the debugger's output. A test program may give monitors or a clock of its
// own by overriding those.
class SystemHdrDisplays : public HdrDisplays {
 public:
  std::vector<MonitorFacts> ReadMonitors() override;
  std::unique_ptr<DesktopDuplication> Duplicate(const MonitorFacts& monitor) override;
  std::int64_t NowMs() override;
  void Trace(const std::string& line) override;
};

// The program's one SystemHdrDisplays.
HdrDisplays& SystemDisplays();

}  // namespace hueclip::win32
