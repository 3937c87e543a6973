#pragma once

#include <memory>

#include "platform/win32/desktop_duplication.h"
#include "platform/win32/hdr_displays.h"

namespace hueclip::win32 {

// The desktop duplication of `monitor` through DXGI desktop duplication in 16-bit float
// (IDXGIOutput5::DuplicateOutput1, Windows 10 1703 and later), on a Direct3D 11 device of the
// adapter DisplayConfig names for it, or of another that shows it. dxgi.dll and d3d11.dll are
// loaded by the first Open, so a program that never meets an HDR monitor never loads them.
std::unique_ptr<DesktopDuplication> DuplicateMonitor(const MonitorFacts& monitor);

}  // namespace hueclip::win32
