#include "platform/portal/monitor_layout.h"

#include <algorithm>
#include <cmath>

namespace hueclip::portal {

std::vector<PixelRect> PlaceMonitors(const std::vector<MonitorGeometry>& monitors, int pointed) {
  double scale = 0;
  for (const MonitorGeometry& m : monitors) {
    if (m.layoutWidth > 0 && m.pixelWidth > 0)
      scale = std::max(scale, static_cast<double>(m.pixelWidth) / m.layoutWidth);
  }
  if (scale == 0) scale = 1;
  std::vector<PixelRect> rects;
  rects.reserve(monitors.size());
  bool known = true;
  for (const MonitorGeometry& m : monitors) {
    const std::int64_t left = std::llround(m.x * scale), top = std::llround(m.y * scale);
    const bool inside = WithinDesktop(left) && WithinDesktop(top) &&
                        WithinDesktop(left + m.pixelWidth) && WithinDesktop(top + m.pixelHeight);
    known = known && m.placed && inside;
    if (!inside) continue;
    const PixelRect r{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), m.pixelWidth,
                      m.pixelHeight};
    for (const PixelRect& before : rects) known = known && Intersect(r, before).Empty();
    rects.push_back(r);
  }
  if (known) return rects;
  rects.assign(monitors.size(), PixelRect{});
  if (pointed >= 0 && static_cast<std::size_t>(pointed) < monitors.size()) {
    const MonitorGeometry& m = monitors[static_cast<std::size_t>(pointed)];
    rects[static_cast<std::size_t>(pointed)] = {0, 0, m.pixelWidth, m.pixelHeight};
  }
  return rects;
}

int MonitorAt(const std::vector<PixelRect>& rects, std::int64_t x, std::int64_t y) {
  for (std::size_t i = 0; i < rects.size(); ++i)
    if (rects[i].Contains(x, y)) return static_cast<int>(i);
  return -1;
}

}  // namespace hueclip::portal
