#include "platform/win32/display_config.h"

#include <cwchar>

#include "platform/win32/dxgi_duplication.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32.h"

namespace hueclip::win32 {
namespace {

// The active display paths: which GDI device (\\.\DISPLAY1) shows on which monitor.
std::vector<DISPLAYCONFIG_PATH_INFO> ActivePaths() {
  std::vector<DISPLAYCONFIG_PATH_INFO> paths;
  std::vector<DISPLAYCONFIG_MODE_INFO> modes;
  LONG status = ERROR_INSUFFICIENT_BUFFER;
  // The paths can change between the two calls; then the sizes are asked again.
  for (int attempt = 0; attempt < 3 && status == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
    UINT32 pathCount = 0, modeCount = 0;
    if (GetDisplayConfigBufferSizes(QDC_ONLY_ACTIVE_PATHS, &pathCount, &modeCount) != ERROR_SUCCESS)
      return {};
    paths.resize(pathCount);
    modes.resize(modeCount);
    status = QueryDisplayConfig(QDC_ONLY_ACTIVE_PATHS, &pathCount, paths.data(), &modeCount,
                                modes.data(), nullptr);
    paths.resize(pathCount);
  }
  return status == ERROR_SUCCESS ? paths : std::vector<DISPLAYCONFIG_PATH_INFO>{};
}

// DISPLAYCONFIG_GET_ADVANCED_COLOR_INFO_2 (Windows 11 24H2 and later), under a name of its own:
// the MinGW headers lack it, and newer Windows SDKs declare it.
struct AdvancedColourInfo2 {
  DISPLAYCONFIG_DEVICE_INFO_HEADER header;
  UINT32 flags;  // advancedColorSupported, advancedColorActive and six more, one bit each
  UINT32 colorEncoding;
  UINT32 bitsPerColorChannel;
  UINT32 activeColorMode;  // DISPLAYCONFIG_ADVANCED_COLOR_MODE: SDR 0, WCG 1, HDR 2
};
static_assert(sizeof(AdvancedColourInfo2) == 36);
constexpr auto kGetAdvancedColourInfo2 = static_cast<DISPLAYCONFIG_DEVICE_INFO_TYPE>(15);

template <typename Info>
bool Ask(Info& info, DISPLAYCONFIG_DEVICE_INFO_TYPE type, LUID adapter, UINT32 id) {
  info.header.type = type;
  info.header.size = sizeof(info);
  info.header.adapterId = adapter;
  info.header.id = id;
  return DisplayConfigGetDeviceInfo(&info.header) == ERROR_SUCCESS;
}

// What DisplayConfig answers of a display path's colour. Before 24H2 the newer question fails
// (ERROR_INVALID_PARAMETER), and the colour mode stays unknown.
PathColour ColourOf(const DISPLAYCONFIG_PATH_INFO& path) {
  const LUID adapter = path.targetInfo.adapterId;
  const UINT32 target = path.targetInfo.id;
  PathColour colour;
  AdvancedColourInfo2 modes{};
  if (Ask(modes, kGetAdvancedColourInfo2, adapter, target)) {
    colour.mode = modes.activeColorMode == 2   ? PathColour::Mode::kHdr
                  : modes.activeColorMode == 1 ? PathColour::Mode::kWideColour
                                               : PathColour::Mode::kSdr;
  }
  DISPLAYCONFIG_GET_ADVANCED_COLOR_INFO older{};
  if (colour.mode == PathColour::Mode::kUnknown &&
      Ask(older, DISPLAYCONFIG_DEVICE_INFO_GET_ADVANCED_COLOR_INFO, adapter, target)) {
    colour.advancedColourEnabled = older.advancedColorEnabled;
    colour.wideColourEnforced = older.wideColorEnforced;
  }
  DISPLAYCONFIG_SDR_WHITE_LEVEL white{};
  if (Ask(white, DISPLAYCONFIG_DEVICE_INFO_GET_SDR_WHITE_LEVEL, adapter, target))
    colour.sdrWhiteLevel = white.SDRWhiteLevel;
  return colour;
}

// The display path that shows GDI device `device` (\\.\DISPLAY1), or null.
const DISPLAYCONFIG_PATH_INFO* PathOf(const std::vector<DISPLAYCONFIG_PATH_INFO>& paths,
                                      const wchar_t* device) {
  for (const DISPLAYCONFIG_PATH_INFO& path : paths) {
    DISPLAYCONFIG_SOURCE_DEVICE_NAME source{};
    if (Ask(source, DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME, path.sourceInfo.adapterId,
            path.sourceInfo.id) &&
        std::wcscmp(source.viewGdiDeviceName, device) == 0)
      return &path;
  }
  return nullptr;
}

struct Enumeration {
  std::vector<DISPLAYCONFIG_PATH_INFO> paths;
  std::vector<MonitorFacts> monitors;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto& enumeration = *reinterpret_cast<Enumeration*>(data);
  MONITORINFOEXW info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(monitor, &info)) {
    const RECT& r = info.rcMonitor;
    MonitorFacts facts{{r.left, r.top, r.right - r.left, r.bottom - r.top}};
    facts.handle = reinterpret_cast<std::uintptr_t>(monitor);
    if (const DISPLAYCONFIG_PATH_INFO* path = PathOf(enumeration.paths, info.szDevice)) {
      facts.whiteNits = HdrWhiteNits(ColourOf(*path));
      const LUID adapter = path->targetInfo.adapterId;
      facts.adapter = static_cast<std::uint64_t>(static_cast<std::uint32_t>(adapter.HighPart))
                          << 32 |
                      adapter.LowPart;
    }
    enumeration.monitors.push_back(facts);
  }
  return TRUE;
}

}  // namespace

std::vector<MonitorFacts> ReadMonitorFacts() {
  Enumeration enumeration{ActivePaths(), {}};
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&enumeration));
  return enumeration.monitors;
}

std::vector<MonitorFacts> SystemHdrDisplays::ReadMonitors() { return ReadMonitorFacts(); }

std::unique_ptr<DesktopDuplication> SystemHdrDisplays::Duplicate(const MonitorFacts& monitor) {
  return DuplicateMonitor(monitor);
}

std::int64_t SystemHdrDisplays::NowMs() { return static_cast<std::int64_t>(GetTickCount64()); }

void SystemHdrDisplays::Trace(const std::string& line) {
  OutputDebugStringW(Widen("Hueclip: " + line + "\n").c_str());
}

HdrDisplays& SystemDisplays() {
  static SystemHdrDisplays displays;
  return displays;
}

}  // namespace hueclip::win32
