#pragma once

#include <vector>

#include "platform/win32/hdr_desktop.h"

namespace hueclip::win32 {

// Every monitor with its bounds and the adapter of its display path, and for those that show HDR
// their SDR white level, as DisplayConfig tells them (user32, Windows 7 and later; the HDR
// queries answer on Windows 10 1709 and later, and fail elsewhere, which reads as no HDR).
std::vector<MonitorFacts> ReadMonitorFacts();

// The system's monitors (ReadMonitorFacts) and their desktop duplications (DXGI).
HdrDisplays& SystemDisplays();

}  // namespace hueclip::win32
