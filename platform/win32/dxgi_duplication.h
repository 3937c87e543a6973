#pragma once

#include <memory>

#include "platform/win32/desktop_duplication.h"
#include "platform/win32/win32.h"

namespace hueclip::win32 {

// The desktop duplication of `monitor` through DXGI desktop duplication in 16-bit float
// (IDXGIOutput5::DuplicateOutput1, Windows 10 1703 and later), on a Direct3D 11 device of the
// adapter that drives the monitor. dxgi.dll and d3d11.dll are loaded by the first Open, so a
// program that never meets an HDR monitor never loads them.
std::unique_ptr<DesktopDuplication> DuplicateMonitor(HMONITOR monitor);

}  // namespace hueclip::win32
