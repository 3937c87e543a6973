#include "platform/win32/hdr_desktop.h"

#include <algorithm>

#include "platform/win32/scrgb.h"

namespace hueclip::win32 {

void HdrDesktop::AskMonitors() {
  std::vector<Monitor> old = monitors_ ? std::move(*monitors_) : std::vector<Monitor>();
  std::vector<Monitor> now;
  for (const MonitorFacts& facts : displays_->ReadMonitors()) {
    const auto same =
        std::find_if(old.begin(), old.end(), [&](const Monitor& m) { return m.facts == facts; });
    now.push_back({facts, same != old.end() ? std::move(same->duplication) : nullptr});
  }
  old.clear();  // the duplications no monitor kept are closed before any new one is opened
  monitors_ = std::move(now);
  stale_ = false;
}

bool HdrDesktop::Read(std::int32_t left, std::int32_t top, Block& pixels,
                      std::array<bool, kSize * kSize>& read) {
  if (!monitors_ || stale_) AskMonitors();
  for (Monitor& monitor : *monitors_) {
    const PixelRect& on = monitor.facts.bounds;
    if (monitor.facts.whiteNits <= 0) continue;
    const PixelRect area = PixelBlockContext::ClipBlock(left, top, on);
    if (area.Empty()) continue;
    if (!monitor.duplication)
      monitor.duplication =
          std::make_unique<DuplicationPolicy>(displays_->Duplicate(monitor.facts));
    std::array<std::uint16_t, kSize * kSize * 4> rgba{};
    const PixelRect relative{area.left - on.left, area.top - on.top, area.width, area.height};
    switch (monitor.duplication->Read(relative, rgba.data())) {
      case DuplicationPolicy::Result::kUnreadable:
        return false;
      case DuplicationPolicy::Result::kUseGdi:
        continue;
      case DuplicationPolicy::Result::kRead:
        break;
    }
    const std::uint16_t* next = rgba.data();
    for (std::int32_t y = area.top - top; y < area.top - top + area.height; ++y) {
      for (std::int32_t x = area.left - left; x < area.left - left + area.width; ++x, next += 4) {
        const auto i = static_cast<std::size_t>(y * kSize + x);
        pixels[i] = ScRgbPixel(next, monitor.facts.whiteNits);
        read[i] = true;
      }
    }
  }
  return true;
}

}  // namespace hueclip::win32
