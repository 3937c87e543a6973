#include "platform/win32/display_config.h"

#include <cwchar>

#include "platform/win32/dxgi_duplication.h"
#include "platform/win32/scrgb.h"
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

template <typename Info>
bool Ask(Info& info, DISPLAYCONFIG_DEVICE_INFO_TYPE type, LUID adapter, UINT32 id) {
  info.header.type = type;
  info.header.size = sizeof(info);
  info.header.adapterId = adapter;
  info.header.id = id;
  return DisplayConfigGetDeviceInfo(&info.header) == ERROR_SUCCESS;
}

// The SDR white level in nits of the monitor that shows GDI device `device`, where it shows
// HDR; 0 where it does not, or where that cannot be told.
double HdrWhiteNits(const std::vector<DISPLAYCONFIG_PATH_INFO>& paths, const wchar_t* device) {
  for (const DISPLAYCONFIG_PATH_INFO& path : paths) {
    DISPLAYCONFIG_SOURCE_DEVICE_NAME source{};
    if (!Ask(source, DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME, path.sourceInfo.adapterId,
             path.sourceInfo.id) ||
        std::wcscmp(source.viewGdiDeviceName, device) != 0)
      continue;
    const LUID adapter = path.targetInfo.adapterId;
    DISPLAYCONFIG_GET_ADVANCED_COLOR_INFO colour{};
    DISPLAYCONFIG_SDR_WHITE_LEVEL white{};
    // Advanced colour on an SDR display (wide colour, Windows 11's automatic colour management)
    // is not HDR; it stays with GDI.
    if (!Ask(colour, DISPLAYCONFIG_DEVICE_INFO_GET_ADVANCED_COLOR_INFO, adapter,
             path.targetInfo.id) ||
        !colour.advancedColorEnabled || colour.wideColorEnforced ||
        !Ask(white, DISPLAYCONFIG_DEVICE_INFO_GET_SDR_WHITE_LEVEL, adapter, path.targetInfo.id))
      return 0;
    return SdrWhiteNits(white.SDRWhiteLevel);
  }
  return 0;
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
    enumeration.monitors.push_back({{r.left, r.top, r.right - r.left, r.bottom - r.top},
                                    HdrWhiteNits(enumeration.paths, info.szDevice),
                                    reinterpret_cast<std::uintptr_t>(monitor)});
  }
  return TRUE;
}

class SystemHdrDisplays final : public HdrDisplays {
 public:
  std::vector<MonitorFacts> ReadMonitors() override { return ReadMonitorFacts(); }
  std::unique_ptr<DesktopDuplication> Duplicate(const MonitorFacts& monitor) override {
    return DuplicateMonitor(reinterpret_cast<HMONITOR>(monitor.handle));
  }
};

}  // namespace

std::vector<MonitorFacts> ReadMonitorFacts() {
  Enumeration enumeration{ActivePaths(), {}};
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&enumeration));
  return enumeration.monitors;
}

HdrDisplays& SystemDisplays() {
  static SystemHdrDisplays displays;
  return displays;
}

}  // namespace hueclip::win32
