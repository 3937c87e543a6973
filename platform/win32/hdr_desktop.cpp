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
  // 64 bits: a block at the end of the coordinate range reaches beyond it.
  const long long right = static_cast<long long>(left) + kSize;
  const long long bottom = static_cast<long long>(top) + kSize;
  for (Monitor& monitor : *monitors_) {
    const ScreenRect& on = monitor.facts.bounds;
    if (monitor.facts.whiteNits <= 0) continue;
    const ScreenRect area{std::max(left, on.left), std::max(top, on.top),
                          static_cast<std::int32_t>(std::min<long long>(right, on.right)),
                          static_cast<std::int32_t>(std::min<long long>(bottom, on.bottom))};
    if (area.empty()) continue;
    if (!monitor.duplication)
      monitor.duplication = std::make_unique<Duplication>(displays_->Duplicate(monitor.facts));
    std::array<std::uint16_t, kSize * kSize * 4> rgba{};
    const ScreenRect relative{area.left - on.left, area.top - on.top, area.right - on.left,
                              area.bottom - on.top};
    switch (monitor.duplication->Read(relative, rgba.data())) {
      case Duplication::Result::kUnreadable:
        return false;
      case Duplication::Result::kUseGdi:
        continue;
      case Duplication::Result::kRead:
        break;
    }
    const std::uint16_t* next = rgba.data();
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
      for (std::int32_t x = area.left; x < area.right; ++x, next += 4) {
        const auto i = static_cast<std::size_t>((y - top) * kSize + (x - left));
        pixels[i] = ScRgbPixel(next, monitor.facts.whiteNits);
        read[i] = true;
      }
    }
  }
  return true;
}

}  // namespace hueclip::win32
